// Alerts printed on a named printer.
#include "base/handles.h"
#include "net/alert_channels.h"

namespace elk {

namespace {

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
    UniqueCreatedDc printerDc(CreateDCW(nullptr, printer, nullptr, nullptr));
    HDC dc = printerDc.get();
    if (!dc) return ELK_E_GENERAL;
    SetMapMode(dc, MM_TEXT);
    // Each selection is undone when the scope ends, ours before the font goes.
    Selection guiFont(dc, GetStockObject(DEFAULT_GUI_FONT));
    UniqueGdi<HFONT> font(scaledFont(dc, guiFont.previous()));
    Selection chosen(dc, font ? static_cast<HGDIOBJ>(font.get()) : guiFont.previous());

    DOCINFOW doc = {};
    doc.cbSize = sizeof(doc);
    doc.lpszDocName = documentName;
    if (StartDocW(dc, &doc) <= 0) return ELK_E_GENERAL;
    if (StartPage(dc) <= 0) {
        EndDoc(dc);
        return ELK_E_GENERAL;
    }
    RECT page = {0, 0, GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES)};
    // No prefix processing: an '&' of the message is printed, not eaten.
    DrawTextW(dc, message, -1, &page, DT_WORDBREAK | DT_NOPREFIX);
    // A page or document that does not end was not printed.
    bool pageEnded = EndPage(dc) > 0;
    bool docEnded = EndDoc(dc) > 0;
    return pageEnded && docEnded ? 0 : ELK_E_GENERAL;
}

}  // namespace elk
