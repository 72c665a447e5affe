#include "net/core/smtp_mime.h"

#include <algorithm>
#include <cstdio>

#include "convert/core/base64.h"

namespace elk::smtp {

namespace {

std::string blankLineEnds(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c == '\r' || c == '\n') c = ' ';
    return out;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

bool isContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// One header line without its CR LF, folded into out with its CR LF.
void foldLine(std::string_view line, std::string& out) {
    // A fold goes before a blank that follows text and precedes more text,
    // so that neither line it makes is blanks only.
    std::size_t lastText = line.find_last_not_of(" \t");
    std::size_t start = 0;  // where the current output line begins in `line`
    std::size_t lead = 0;   // characters before it on that line: an added blank
    auto foldable = [&](std::size_t i) {
        return i > start && i < lastText && isBlank(line[i]) && !isBlank(line[i - 1]);
    };
    while (lastText != std::string_view::npos && lead + line.size() - start > kFoldColumn) {
        std::size_t at = std::string_view::npos;
        for (std::size_t i = start + (kFoldColumn - lead); i > start; --i)
            if (foldable(i)) {
                at = i;
                break;
            }
        if (at == std::string_view::npos) {
            std::size_t most = std::min(line.size(), start + (kMaxLine - lead) + 1);
            for (std::size_t i = start + (kFoldColumn - lead) + 1; i < most; ++i)
                if (foldable(i)) {
                    at = i;
                    break;
                }
        }
        if (at != std::string_view::npos) {
            out.append(line.substr(start, at - start));
            out += "\r\n";
            start = at;
            lead = 0;
            continue;
        }
        if (lead + line.size() - start <= kMaxLine) break;
        std::size_t cut = start + (kMaxLine - lead);
        while (cut > start + 1 && isContinuation(line[cut])) --cut;
        out.append(line.substr(start, cut - start));
        out += "\r\n ";
        start = cut;
        lead = 1;
    }
    out.append(line.substr(start));
    out += "\r\n";
}

constexpr char kHex[] = "0123456789ABCDEF";

}  // namespace

std::string foldHeader(std::string_view lines) {
    std::string out;
    out.reserve(lines.size() + lines.size() / 32);
    while (!lines.empty()) {
        std::size_t end = lines.find("\r\n");
        if (end == std::string_view::npos) end = lines.size();
        foldLine(lines.substr(0, end), out);
        lines.remove_prefix(std::min(lines.size(), end + 2));
    }
    return out;
}

void appendBase64(const unsigned char* data, std::size_t n, std::string& out) {
    std::size_t at = out.size();
    // The coder writes a terminator after its characters.
    out.resize(at + base64EncodedLength(n) + 1);
    base64Encode(data, n, out.data() + at);
    out.pop_back();
}

std::string subjectLine(std::string_view subject, bool utf8) {
    std::string line = "Subject: ";
    if (!subject.empty()) {
        if (utf8) {
            // CR and LF are blanked here too: decoded, they would end the subject.
            std::string blanked = blankLineEnds(subject);
            // Encoded words of at most 75 characters, one per folded line: the
            // first within 78 after "Subject: ", each further one after its blank.
            std::string_view rest = blanked;
            std::size_t most = kFirstSubjectWordBytes;
            bool first = true;
            while (!rest.empty()) {
                std::size_t take = std::min(most, rest.size());
                // A word holds whole characters: never cut before a UTF-8
                // continuation byte (unless nothing else would fit).
                std::size_t whole = take;
                while (whole < rest.size() && whole > 0 && (static_cast<unsigned char>(rest[whole]) & 0xC0) == 0x80)
                    --whole;
                if (whole > 0) take = whole;
                if (!first) line += "\r\n ";
                line += "=?UTF-8?b?";
                appendBase64(reinterpret_cast<const unsigned char*>(rest.data()), take, line);
                line += "?=";
                rest.remove_prefix(take);
                most = kSubjectWordBytes;
                first = false;
            }
        } else {
            line += blankLineEnds(subject);
            line += "\r\n";
            return foldHeader(line);
        }
    }
    line += "\r\n";
    return line;
}

std::string mimeHeader(const std::optional<std::string>& contentType) {
    std::string text = "MIME-Version: 1.0\r\nContent-Type: ";
    text += contentType ? blankLineEnds(*contentType) : std::string("multipart/mixed");
    text += ";\r\n\tboundary=\"----=_NextPart_tarvo!_mail_system_AA_BB_CC_DD_EE_FF\"\r\n\r\n";
    return foldHeader(text);
}

std::string headerSafe(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F || c == '"') c = '_';
    return out;
}

std::u16string_view fileNameOf(std::u16string_view path) {
    std::size_t slash = path.rfind(u'\\');
    return slash == std::u16string_view::npos ? path : path.substr(slash + 1);
}

std::u16string contentIdOf(std::u16string_view fileName) {
    std::u16string id(fileName.substr(0, 255));
    for (char16_t& c : id) {
        if (c == u'{' || c == u'}')
            c = u'@';
        else if (c == u'-')
            c = u'x';
    }
    return id;
}

std::u16string imageTypeOf(std::u16string_view path) {
    std::size_t dot = path.rfind(u'.');
    return dot == std::u16string_view::npos ? std::u16string(u"png") : std::u16string(path.substr(dot + 1));
}

std::string attachmentHeader(std::string_view fileName) {
    std::string name = headerSafe(fileName);
    return foldHeader("Content-Type: application/octet-stream;\r\n\tname=\"" + name +
                      "\"\r\nContent-Transfer-Encoding: base64\r\nContent-Disposition: attachment;\r\n\tfilename=\"" +
                      name + "\"\r\n\r\n");
}

std::string inlineImageHeader(std::string_view imageType, std::string_view contentId) {
    std::string id = headerSafe(contentId);
    return foldHeader("Content-Type: image/" + headerSafe(imageType) + ";\r\n\tname=\"" + id +
                      "\"\r\nContent-ID: <" + id +
                      ">\r\nContent-Transfer-Encoding: base64\r\nContent-Disposition: inline\r\n\r\n");
}

std::string dateLine(const std::tm& local, const std::tm& utc) {
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (local.tm_wday < 0 || local.tm_wday > 6 || local.tm_mon < 0 || local.tm_mon > 11) return {};
    // The days differ by one across midnight; by more only across a month's end.
    int dayDifference = local.tm_mday - utc.tm_mday;
    if (dayDifference > 1) dayDifference = -1;
    if (dayDifference < -1) dayDifference = 1;
    int offset = (dayDifference * 24 + local.tm_hour - utc.tm_hour) * 60 + local.tm_min - utc.tm_min;
    int magnitude = offset < 0 ? -offset : offset;
    char line[128];
    int n = std::snprintf(line, sizeof line, "Date: %s, %d %s %d %02d:%02d:%02d %c%02d%02d\r\n", kDays[local.tm_wday],
                          local.tm_mday, kMonths[local.tm_mon], local.tm_year + 1900, local.tm_hour, local.tm_min,
                          local.tm_sec, offset < 0 ? '-' : '+', magnitude / 60, magnitude % 60);
    if (n < 0 || static_cast<std::size_t>(n) >= sizeof line) return {};
    return std::string(line, static_cast<std::size_t>(n));
}

void DataText::put(std::string_view text, std::string& out) {
    for (char c : text) {
        if (pendingCr_) {
            pendingCr_ = false;
            out += "\r\n";
            lineStart_ = true;
            if (c == '\n') continue;
        }
        if (c == '\r') {
            pendingCr_ = true;
            continue;
        }
        if (c == '\n') {
            out += "\r\n";
            lineStart_ = true;
            continue;
        }
        if (lineStart_ && c == '.') out += '.';
        out += c;
        lineStart_ = false;
    }
}

void DataText::finish(std::string& out) {
    if (!pendingCr_) return;
    pendingCr_ = false;
    out += "\r\n";
    lineStart_ = true;
}

bool needsQuotedPrintable(std::string_view text) {
    std::size_t length = 0;
    bool afterCr = false;
    for (char c : text) {
        if (c == '\n' && afterCr) {
            afterCr = false;
            continue;
        }
        afterCr = c == '\r';
        if (c == '\r' || c == '\n') {
            length = 0;
            continue;
        }
        // A leading '.' goes out doubled.
        length += length == 0 && c == '.' ? 2 : 1;
        if (length > kMaxLine) return true;
    }
    return false;
}

void QuotedPrintable::encoded(unsigned char c, std::string& out) {
    if (column_ + 3 > kQuotedLine - 1) {
        out += "=\r\n";
        column_ = 0;
    }
    out += '=';
    out += kHex[c >> 4];
    out += kHex[c & 0x0F];
    column_ += 3;
}

void QuotedPrintable::literal(char c, std::string& out) {
    if (column_ + 1 > kQuotedLine - 1) {
        out += "=\r\n";
        column_ = 0;
    }
    // A '.' alone on a line would end the data.
    if (c == '.' && column_ == 0) return encoded('.', out);
    out += c;
    ++column_;
}

void QuotedPrintable::lineBreak(std::string& out) {
    // A blank at the end of a line would be taken away on the way.
    if (pendingBlank_) encoded(static_cast<unsigned char>(pendingBlank_), out);
    pendingBlank_ = 0;
    out += "\r\n";
    column_ = 0;
}

void QuotedPrintable::put(std::string_view text, std::string& out) {
    for (char c : text) {
        if (pendingCr_) {
            pendingCr_ = false;
            lineBreak(out);
            if (c == '\n') continue;
        }
        if (c == '\r') {
            pendingCr_ = true;
            continue;
        }
        if (c == '\n') {
            lineBreak(out);
            continue;
        }
        if (pendingBlank_) literal(pendingBlank_, out);
        pendingBlank_ = 0;
        auto u = static_cast<unsigned char>(c);
        if (isBlank(c))
            pendingBlank_ = c;
        else if (u < 0x21 || u > 0x7E || c == '=')
            encoded(u, out);
        else
            literal(c, out);
    }
}

void QuotedPrintable::finish(std::string& out) {
    if (pendingCr_) {
        pendingCr_ = false;
        lineBreak(out);
    }
    if (pendingBlank_) encoded(static_cast<unsigned char>(pendingBlank_), out);
    pendingBlank_ = 0;
}

void Base64Lines::put(const unsigned char* data, std::size_t n, std::string& out) {
    encoded_.clear();
    appendBase64(data, n, encoded_);
    std::string_view rest = encoded_;
    while (!rest.empty()) {
        if (column_ == kBase64Line) {
            out += "\r\n";
            column_ = 0;
        }
        std::size_t take = std::min(rest.size(), kBase64Line - column_);
        out.append(rest.data(), take);
        rest.remove_prefix(take);
        column_ += take;
    }
}

}  // namespace elk::smtp
