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

}  // namespace

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
        }
    }
    line += "\r\n";
    return line;
}

std::string mimeHeader(const std::optional<std::string>& contentType) {
    std::string text = "MIME-Version: 1.0\r\nContent-Type: ";
    text += contentType ? blankLineEnds(*contentType) : std::string("multipart/mixed");
    text += ";\r\n\tboundary=\"----=_NextPart_tarvo!_mail_system_AA_BB_CC_DD_EE_FF\"\r\n\r\n";
    return text;
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
    return "Content-Type: application/octet-stream;\r\n\tname=\"" + name +
           "\"\r\nContent-Transfer-Encoding: base64\r\nContent-Disposition: attachment;\r\n\tfilename=\"" + name +
           "\"\r\n\r\n";
}

std::string inlineImageHeader(std::string_view imageType, std::string_view contentId) {
    std::string id = headerSafe(contentId);
    return "Content-Type: image/" + headerSafe(imageType) + ";\r\n\tname=\"" + id + "\"\r\nContent-ID: <" + id +
           ">\r\nContent-Transfer-Encoding: base64\r\nContent-Disposition: inline\r\n\r\n";
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
