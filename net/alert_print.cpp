// Alerts printed on a named printer.
#include "net/alert_internal.h"

namespace elk {

namespace {

struct PrinterDc {
    HDC dc;
    ~PrinterDc() {
        if (dc) DeleteDC(dc);
    }
};

// The font of the device context before ours, scaled to the printer's
// resolution (its height counts as points), or null.
HFONT scaledFont(HDC dc, HGDIOBJ previous) {
    LOGFONTW font;
    if (!previous || GetObjectW(previous, sizeof(font), &font) != sizeof(font)) return nullptr;
    font.lfHeight = -MulDiv(font.lfHeight, GetDeviceCaps(dc, LOGPIXELSY), 72);
    font.lfWidth = 0;
    return CreateFontIndirectW(&font);
}

}  // namespace

DWORD printAlert(const wchar_t* printer, const wchar_t* message, const wchar_t* documentName) {
    PrinterDc printerDc{CreateDCW(nullptr, printer, nullptr, nullptr)};
    HDC dc = printerDc.dc;
    if (!dc) return ELK_E_GENERAL;
    SetMapMode(dc, MM_TEXT);
    HGDIOBJ previous = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    HFONT font = scaledFont(dc, previous);
    SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : previous);

    DWORD status = ELK_E_GENERAL;
    DOCINFOW doc = {};
    doc.cbSize = sizeof(doc);
    doc.lpszDocName = documentName;
    if (StartDocW(dc, &doc) > 0) {
        if (StartPage(dc) > 0) {
            RECT page = {0, 0, GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES)};
            // No prefix processing: an '&' of the message is printed, not eaten.
            DrawTextW(dc, message, -1, &page, DT_WORDBREAK | DT_NOPREFIX);
            // A page or document that does not end was not printed.
            bool pageEnded = EndPage(dc) > 0;
            bool docEnded = EndDoc(dc) > 0;
            if (pageEnded && docEnded) status = 0;
        } else {
            EndDoc(dc);
        }
    }
    if (previous) SelectObject(dc, previous);
    if (font) DeleteObject(font);
    return status;
}

}  // namespace elk
