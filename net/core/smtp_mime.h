// The MIME layout of the mail: the fixed pieces, the header lines built from
// the caller's fields, the transparency of the text parts and the Base64
// lines of the attachments.
#pragma once
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace elk::smtp {

inline constexpr std::string_view kBoundaryLine = "------=_NextPart_tarvo!_mail_system_AA_BB_CC_DD_EE_FF\r\n";
inline constexpr std::string_view kClosingBoundaryLine = "------=_NextPart_tarvo!_mail_system_AA_BB_CC_DD_EE_FF--\r\n";
inline constexpr std::string_view kPreamble = "This is a multi-part message in MIME format.\r\n\r\n";
inline constexpr std::string_view kTextPartHeader =
    "Content-Type: text/plain;\r\n\tcharset=\"utf-8\"\r\nContent-Transfer-Encoding: 8bit\r\n\r\n";
inline constexpr std::string_view kHtmlPartHeader = "Content-Type: text/html;\r\n\tcharset=\"utf-8\"\r\n\r\n";
// The same parts when a line of theirs is too long to go out as it stands.
inline constexpr std::string_view kTextPartHeaderQuoted =
    "Content-Type: text/plain;\r\n\tcharset=\"utf-8\"\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n";
inline constexpr std::string_view kHtmlPartHeaderQuoted =
    "Content-Type: text/html;\r\n\tcharset=\"utf-8\"\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n";

// Header lines are folded to at most kFoldColumn characters where a blank
// allows it, and never exceed kMaxLine (the limit servers enforce, CR LF not
// counted).
constexpr std::size_t kFoldColumn = 78;
constexpr std::size_t kMaxLine = 998;
// Quoted-printable lines: at most 76 characters, the soft break's '=' included.
constexpr std::size_t kQuotedLine = 76;

// Bytes of a file read, encoded and sent at a time: a multiple of 3, so that
// only the file's last chunk has pad characters.
constexpr std::size_t kFileChunk = 1125;
constexpr std::size_t kBase64Line = 76;

// Base64 (standard alphabet, '=' pads, no line breaks) of n bytes appended to out.
void appendBase64(const unsigned char* data, std::size_t n, std::string& out);

// Bytes of the subject in each encoded word: 42 make the first line 77
// characters long; 45 give a word of 72 (at most 75 are allowed), 46 would
// give 76.
constexpr std::size_t kFirstSubjectWordBytes = 42;
constexpr std::size_t kSubjectWordBytes = 45;

// Header lines (each ended by CR LF) folded: a line longer than kFoldColumn
// gets a CR LF before the last blank that keeps it within kFoldColumn, or
// failing that before the first blank that keeps it within kMaxLine, so that
// unfolding gives the line back unchanged. A line with a run of more than
// kMaxLine characters and no blank is cut within the limit (never inside a
// UTF-8 character) and goes on after CR LF and one added blank. A fold never
// leaves a line of blanks only. Lines that fit come back as they are.
std::string foldHeader(std::string_view lines);

// "Subject: ...\r\n": a UTF-8 subject as encoded words, each of whole
// characters, the first after "Subject: " and each further one on a folded
// line of its own (CR LF and a blank); an 8-bit one as it stands. On both, CR
// and LF are made blanks, so that the subject stays one header field.
std::string subjectLine(std::string_view subject, bool utf8);

// "MIME-Version" and "Content-Type" with the boundary, and the blank line;
// folded.
std::string mimeHeader(const std::optional<std::string>& contentType);

// Header value text from a caller's field: control characters (CR and LF
// among them) and '"' become '_', so the value cannot leave its quotes or line.
std::string headerSafe(std::string_view text);

// Parts of an attachment path (wide) that its part header names.
std::u16string_view fileNameOf(std::u16string_view path);  // after the last '\'
std::u16string contentIdOf(std::u16string_view fileName);   // '{','}' -> '@', '-' -> 'x', at most 255
std::u16string imageTypeOf(std::u16string_view path);       // after the last '.', or "png"

// Part headers, followed by their blank line; folded. Names are 8-bit text.
std::string attachmentHeader(std::string_view fileName);
std::string inlineImageHeader(std::string_view imageType, std::string_view contentId);

// "Date: ...\r\n" from the local and the UTC broken-down time of one instant.
std::string dateLine(const std::tm& local, const std::tm& utc);

// Text for the DATA section, written piece by piece: every lone CR and lone LF
// becomes CR LF, and a line that begins with '.' gets one more '.', so that
// only the client's own CR LF . CR LF can end the data.
class DataText {
public:
    void put(std::string_view text, std::string& out);
    // Ends a CR left waiting at the end of the text.
    void finish(std::string& out);

private:
    bool lineStart_ = true;
    bool pendingCr_ = false;
};

// True when a text part holds a line that would exceed kMaxLine on the wire
// (line ends as DataText makes them, a leading '.' doubled): such a part
// goes out quoted-printable.
bool needsQuotedPrintable(std::string_view text);

// Quoted-printable (RFC 2045) of a text part, written piece by piece: line
// ends (CR LF, lone CR, lone LF) become hard line breaks, as DataText makes
// them; '=', control characters, bytes above 0x7E, a blank before a line end
// and a '.' that begins a line are written =XX; soft breaks keep every line
// within kQuotedLine. The output needs no dot-stuffing.
class QuotedPrintable {
public:
    void put(std::string_view text, std::string& out);
    // Writes what the end of the text decides: a waiting blank or CR.
    void finish(std::string& out);

private:
    void encoded(unsigned char c, std::string& out);
    void literal(char c, std::string& out);
    void lineBreak(std::string& out);

    std::size_t column_ = 0;
    bool pendingCr_ = false;
    char pendingBlank_ = 0;  // a blank whose form depends on what follows it
};

// Base64 of one file, chunk by chunk, in lines of exactly 76 characters
// separated by CR LF; the last line has no line end of its own.
class Base64Lines {
public:
    void put(const unsigned char* data, std::size_t n, std::string& out);

private:
    std::size_t column_ = 0;
    std::string encoded_;
};

}  // namespace elk::smtp
