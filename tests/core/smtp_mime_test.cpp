#include "net/core/smtp_mime.h"

#include <gtest/gtest.h>

#include "convert/core/base64.h"

#include <string>
#include <vector>

namespace {

using namespace elk::smtp;

std::string transparent(std::string_view text) {
    DataText filter;
    std::string out;
    filter.put(text, out);
    filter.finish(out);
    return out;
}

TEST(DataText, LineEndsAndDots) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        /* 0 */ {"plain", "plain"},
        /* 1 */ {"a\r\nb", "a\r\nb"},
        /* 2 lone LF */ {"a\nb", "a\r\nb"},
        /* 3 lone CR */ {"a\rb", "a\r\nb"},
        /* 4 CR at the end */ {"a\r", "a\r\n"},
        /* 5 LF CR is two line ends */ {"a\n\rb", "a\r\n\r\nb"},
        /* 6 a line of one dot */ {"a\r\n.\r\nb", "a\r\n..\r\nb"},
        /* 7 dot at the very start */ {".x", "..x"},
        /* 8 dot line behind a lone LF */ {"a\n.\nMAIL FROM:<x>", "a\r\n..\r\nMAIL FROM:<x>"},
        /* 9 dot line behind a lone CR */ {"a\r.\rQUIT", "a\r\n..\r\nQUIT"},
        /* 10 dots inside a line stay */ {"a.b\r\n..c", "a.b\r\n...c"},
        /* 11 */ {"", ""},
    };
    for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(transparent(cases[i].in), cases[i].out) << "row " << i;
}

TEST(DataText, SameResultWhateverThePieces) {
    const std::string text = "x\r\n.\r\n.\n\r.y\r\r\n..\n";
    const std::string whole = transparent(text);
    EXPECT_EQ(whole, "x\r\n..\r\n..\r\n\r\n..y\r\n\r\n...\r\n");
    for (size_t cut = 0; cut <= text.size(); ++cut) {
        DataText filter;
        std::string out;
        filter.put(std::string_view(text).substr(0, cut), out);
        filter.put(std::string_view(text).substr(cut), out);
        filter.finish(out);
        EXPECT_EQ(out, whole) << "cut at " << cut;
    }
}

TEST(DataText, NothingButTheClientsOwnEndCanEndTheData) {
    // Whatever the input, no "CR LF . CR LF" appears in the output (the part
    // starts on a line of its own, so a leading dot counts as well).
    const std::string alphabet = "\r\n.a";
    for (int code = 0; code < 4 * 4 * 4 * 4 * 4 * 4; ++code) {
        std::string in;
        for (int c = code, k = 0; k < 6; ++k, c /= 4) in += alphabet[c % 4];
        std::string out = "\r\n" + transparent(in) + "\r\n";
        EXPECT_EQ(out.find("\r\n.\r\n"), std::string::npos) << "input #" << code;
        for (size_t i = 0; i < out.size(); ++i) {
            if (out[i] == '\r') ASSERT_EQ(out[i + 1], '\n') << "input #" << code;
            if (out[i] == '\n') ASSERT_EQ(out[i - 1], '\r') << "input #" << code;
        }
    }
}

std::string encodeFile(const std::vector<size_t>& chunks) {
    Base64Lines lines;
    std::string out;
    unsigned char byte = 0;
    for (size_t n : chunks) {
        std::vector<unsigned char> chunk(n);
        for (auto& b : chunk) b = byte++;
        lines.put(chunk.data(), chunk.size(), out);
    }
    return out;
}

TEST(Base64Lines, LinesOfExactly76) {
    EXPECT_EQ(encodeFile({}), "");
    EXPECT_EQ(encodeFile({0}), "");
    EXPECT_EQ(encodeFile({3}), "AAEC");
    std::string one = encodeFile({57});
    EXPECT_EQ(one.size(), 76u);
    EXPECT_EQ(one.find('\r'), std::string::npos);
    std::string two = encodeFile({58});
    ASSERT_EQ(two.size(), 76u + 2 + 4);
    EXPECT_EQ(two.substr(76, 2), "\r\n");
    EXPECT_EQ(two.substr(78), "OQ==");
    // The column runs on from chunk to chunk: two chunks give what one would.
    std::string chunked = encodeFile({kFileChunk, kFileChunk, 10});
    std::string whole = encodeFile({2 * kFileChunk + 10});
    EXPECT_EQ(chunked, whole);
    size_t start = 0;
    while (true) {
        size_t end = chunked.find("\r\n", start);
        if (end == std::string::npos) {
            EXPECT_LE(chunked.size() - start, 76u);
            EXPECT_GT(chunked.size() - start, 0u);
            break;
        }
        EXPECT_EQ(end - start, 76u) << "line at " << start;
        start = end + 2;
    }
    // 2260 bytes end with one byte over: "==" there, and no pad anywhere else.
    EXPECT_EQ(chunked.find('='), chunked.size() - 2) << "pads only at the file's end";
}

TEST(DateLine, FormatAndOffset) {
    auto tm = [](int year, int mon, int mday, int wday, int hour, int min, int sec) {
        std::tm t = {};
        t.tm_year = year - 1900;
        t.tm_mon = mon;
        t.tm_mday = mday;
        t.tm_wday = wday;
        t.tm_hour = hour;
        t.tm_min = min;
        t.tm_sec = sec;
        return t;
    };
    const struct {
        std::tm local, utc;
        const char* line;
    } cases[] = {
        /* 0 UTC */ {tm(2025, 0, 5, 0, 9, 3, 7), tm(2025, 0, 5, 0, 9, 3, 7), "Date: Sun, 5 Jan 2025 09:03:07 +0000\r\n"},
        /* 1 east, same day */
        {tm(2025, 6, 16, 3, 14, 30, 0), tm(2025, 6, 16, 3, 12, 30, 0), "Date: Wed, 16 Jul 2025 14:30:00 +0200\r\n"},
        /* 2 east, past midnight */
        {tm(2025, 6, 17, 4, 1, 0, 0), tm(2025, 6, 16, 3, 23, 0, 0), "Date: Thu, 17 Jul 2025 01:00:00 +0200\r\n"},
        /* 3 west, before midnight */
        {tm(2025, 11, 31, 3, 19, 0, 0), tm(2026, 0, 1, 4, 0, 0, 0), "Date: Wed, 31 Dec 2025 19:00:00 -0500\r\n"},
        /* 4 east across a month's end */
        {tm(2025, 2, 1, 6, 5, 45, 59), tm(2025, 1, 28, 5, 20, 0, 59), "Date: Sat, 1 Mar 2025 05:45:59 +0945\r\n"},
        /* 5 half-hour west */
        {tm(2024, 1, 29, 4, 8, 0, 0), tm(2024, 1, 29, 4, 11, 30, 0), "Date: Thu, 29 Feb 2024 08:00:00 -0330\r\n"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(dateLine(cases[i].local, cases[i].utc), cases[i].line) << "row " << i;
    std::tm bad = tm(2025, 12, 1, 0, 0, 0, 0);
    EXPECT_EQ(dateLine(bad, bad), "");
}

TEST(HeaderLines, SubjectAndMimeHeader) {
    EXPECT_EQ(subjectLine("Alert", true), "Subject: =?UTF-8?b?QWxlcnQ=?=\r\n");
    EXPECT_EQ(subjectLine("", true), "Subject: \r\n");
    EXPECT_EQ(subjectLine("a\r\nBcc: x", false), "Subject: a  Bcc: x\r\n");
    // Decoded, an encoded word must not carry a line end either.
    const struct {
        const char* subject;
        const char* line;
    } blanked[] = {
        /* 0 */ {"a\r\nBcc: x", "Subject: =?UTF-8?b?YSAgQmNjOiB4?=\r\n"},
        /* 1 */ {"\nlone LF\r", "Subject: =?UTF-8?b?IGxvbmUgTEYg?=\r\n"},
        /* 2 */ {"Gr\xc3\xbc\xc3\x9f" "e\n\n", "Subject: =?UTF-8?b?R3LDvMOfZSAg?=\r\n"},
    };
    for (size_t i = 0; i < std::size(blanked); ++i)
        EXPECT_EQ(subjectLine(blanked[i].subject, true), blanked[i].line) << "row " << i;
    EXPECT_EQ(mimeHeader(std::nullopt),
              "MIME-Version: 1.0\r\nContent-Type: multipart/mixed;\r\n"
              "\tboundary=\"----=_NextPart_tarvo!_mail_system_AA_BB_CC_DD_EE_FF\"\r\n\r\n");
    EXPECT_EQ(mimeHeader(std::string("multipart/related\r\nX: y")).substr(0, 57),
              "MIME-Version: 1.0\r\nContent-Type: multipart/related  X: y;");
}

// A long subject goes out as several encoded words, each on its own folded
// line: every line within 78 characters, every word within 75 and of whole
// characters, and the words together decode to the subject.
TEST(HeaderLines, LongSubjectSplitsIntoEncodedWords) {
    const std::string u = "\xc3\xbc", euro = "\xe2\x82\xac", clef = "\xf0\x9d\x84\x9e";
    auto times = [](const std::string& piece, size_t n) {
        std::string out;
        while (n--) out += piece;
        return out;
    };
    const struct {
        std::string subject;
        size_t words;
    } rows[] = {
        /* 0 the most one word takes */ {std::string(42, 's'), 1},
        /* 1 */ {std::string(43, 's'), 2},
        /* 2 42 + 45 */ {std::string(87, 's'), 2},
        /* 3 */ {std::string(88, 's'), 3},
        /* 4 a character across the first cut goes whole to the next word */ {std::string(41, 's') + u, 2},
        /* 5 */ {std::string(40, 's') + euro + std::string(50, 't'), 3},
        /* 6 */ {times(clef, 300), 28},
        /* 7 1,000 bytes */ {times(u, 200) + times(euro, 200), 23},
        /* 8 200,000 bytes */ {std::string(200000, 'x'), 4445},
    };
    const std::string prefix = "=?UTF-8?b?", suffix = "?=";
    for (size_t i = 0; i < std::size(rows); ++i) {
        const std::string line = subjectLine(rows[i].subject, true);
        ASSERT_EQ(line.substr(0, 9), "Subject: ") << "row " << i;
        ASSERT_EQ(line.substr(line.size() - 2), "\r\n") << "row " << i;
        std::string decoded;
        size_t words = 0;
        size_t at = 9, lineStart = 0;
        while (at < line.size()) {
            size_t end = line.find("\r\n", at);
            ASSERT_NE(end, std::string::npos) << "row " << i;
            ASSERT_LE(end - lineStart, 78u) << "row " << i << " line " << words;
            std::string word = line.substr(at, end - at);
            ASSERT_LE(word.size(), 75u) << "row " << i << " word " << words;
            ASSERT_EQ(word.substr(0, prefix.size()), prefix) << "row " << i << " word " << words;
            ASSERT_EQ(word.substr(word.size() - suffix.size()), suffix) << "row " << i << " word " << words;
            std::u16string chars(word.begin() + prefix.size(), word.end() - suffix.size());
            std::vector<uint8_t> bytes(elk::base64DecodedBound(chars.size()));
            elk::Base64Decoded got = elk::base64DecodeTo(chars.data(), chars.size(), bytes.data());
            ASSERT_FALSE(got.malformed) << "row " << i << " word " << words;
            ASSERT_GT(got.length, 0u);
            EXPECT_NE(bytes[0] & 0xC0, 0x80) << "row " << i << " word " << words << " begins inside a character";
            decoded.append(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(got.length));
            ++words;
            at = lineStart = end + 2;
            // A further word follows on a folded line: CR LF and one blank.
            if (at < line.size()) {
                ASSERT_EQ(line[at], ' ') << "row " << i;
                ++at;
            }
        }
        EXPECT_EQ(decoded, rows[i].subject) << "row " << i;
        EXPECT_EQ(words, rows[i].words) << "row " << i;
    }
    EXPECT_EQ(subjectLine(std::string(43, 's'), true),
              "Subject: =?UTF-8?b?" + times("c3Nz", 14) + "?=\r\n =?UTF-8?b?cw==?=\r\n");
}

TEST(HeaderLines, AttachmentNames) {
    EXPECT_EQ(fileNameOf(u"C:\\dir\\file.bin"), u"file.bin");
    EXPECT_EQ(fileNameOf(u"file.bin"), u"file.bin");
    EXPECT_EQ(fileNameOf(u"C:\\dir\\"), u"");
    EXPECT_EQ(contentIdOf(u"{12-AB}.gif"), u"@12xAB@.gif");
    EXPECT_EQ(contentIdOf(std::u16string(300, u'n')).size(), 255u);
    EXPECT_EQ(imageTypeOf(u"C:\\img\\{12-AB}.gif"), u"gif");
    EXPECT_EQ(imageTypeOf(u"C:\\img\\picture"), u"png");
    EXPECT_EQ(imageTypeOf(u"C:\\img.d\\picture"), u"d\\picture") << "the last '.' of the whole path";
    EXPECT_EQ(attachmentHeader("a.bin"),
              "Content-Type: application/octet-stream;\r\n\tname=\"a.bin\"\r\nContent-Transfer-Encoding: base64\r\n"
              "Content-Disposition: attachment;\r\n\tfilename=\"a.bin\"\r\n\r\n");
    EXPECT_EQ(inlineImageHeader("gif", "@12xAB@.gif"),
              "Content-Type: image/gif;\r\n\tname=\"@12xAB@.gif\"\r\nContent-ID: <@12xAB@.gif>\r\n"
              "Content-Transfer-Encoding: base64\r\nContent-Disposition: inline\r\n\r\n");
    // A name cannot leave its quotes or its line.
    std::string hostile = attachmentHeader("x\"\r\n\r\n.\r\nQUIT\r\n.bin");
    EXPECT_NE(hostile.find("\tname=\"x_____.__QUIT__.bin\"\r\n"), std::string::npos);
    EXPECT_EQ(hostile.find("\r\n.\r\n"), std::string::npos);
}

// Folding: every line within 78 where a blank allows, never over 998, and
// unfolding (taking out each CR LF that a blank follows) gives the line back.
std::string unfold(std::string folded) {
    std::string out;
    for (size_t i = 0; i < folded.size(); ++i) {
        if (folded.compare(i, 3, "\r\n ") == 0 || folded.compare(i, 3, "\r\n\t") == 0) {
            ++i;
            continue;
        }
        out += folded[i];
    }
    return out;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find("\r\n", at);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

TEST(HeaderFolding, LinesWithinLimitsAndUnfoldedUnchanged) {
    std::string to = "To: ";
    for (int i = 0; i < 70; ++i) to += (i ? ", " : "") + std::string("recipient") + std::to_string(1000 + i) + "@x.example";
    const struct {
        std::string line;     // without CR LF
        size_t longest;       // the longest line folding may leave
        bool unchanged;       // already fits: comes back byte for byte
    } rows[] = {
        /* 0 */ {"Subject: short", 78, true},
        /* 1 exactly 78 */ {"Subject: " + std::string(69, 'a'), 78, true},
        /* 2 */ {to, 78, false},
        /* 3 one word longer than 78: alone on its line */
        {"Subject: " + std::string(200, 'w') + " tail", 201, false},
        /* 4 a tab-led continuation keeps its tab */ {"\tname=\"" + std::string(90, 'n') + "\"", 98, true},
        /* 5 blanks at the end are no place to fold */ {"X:" + std::string(77, 'x') + "     ", 84, true},
        /* 6 a run of blanks is never split into a line of its own */
        {"Subject: a" + std::string(100, ' ') + "b", 101, false},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        std::string folded = foldHeader(rows[i].line + "\r\n");
        ASSERT_GE(folded.size(), 2u);
        EXPECT_EQ(folded.substr(folded.size() - 2), "\r\n") << "row " << i;
        EXPECT_EQ(unfold(folded), rows[i].line + "\r\n") << "row " << i;
        if (rows[i].unchanged) EXPECT_EQ(folded, rows[i].line + "\r\n") << "row " << i;
        for (const std::string& line : linesOf(folded)) {
            EXPECT_LE(line.size(), rows[i].longest) << "row " << i << ": " << line;
            EXPECT_NE(line.find_first_not_of(" \t"), std::string::npos) << "row " << i << ": a line of blanks";
        }
    }
    // The recipients go one after another, a line holding as many as fit.
    std::vector<std::string> lines = linesOf(foldHeader(to + "\r\n"));
    EXPECT_EQ(lines[0], "To: recipient1000@x.example, recipient1001@x.example, recipient1002@x.example,");
    EXPECT_EQ(lines[1], " recipient1003@x.example, recipient1004@x.example, recipient1005@x.example,");
}

TEST(HeaderFolding, RunsWithoutBlanksAreCutWithin998) {
    // 2,000 bytes of two-byte characters: cut between characters only.
    std::string utf8;
    for (int i = 0; i < 1000; ++i) utf8 += "\xC3\xBC";
    std::string folded = foldHeader("Subject:" + utf8 + "\r\n");
    std::vector<std::string> lines = linesOf(folded);
    ASSERT_EQ(lines.size(), 3u);
    std::string joined;
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_LE(lines[i].size(), 998u);
        if (i > 0) {
            ASSERT_EQ(lines[i][0], ' ');
            EXPECT_NE(static_cast<unsigned char>(lines[i][1]) & 0xC0, 0x80u) << "cut inside a character";
        }
        joined += i > 0 ? lines[i].substr(1) : lines[i];
    }
    EXPECT_EQ(joined, "Subject:" + utf8);
    // Part headers and the MIME header fold too; a short one is kept as it is.
    EXPECT_EQ(attachmentHeader("a.bin"), "Content-Type: application/octet-stream;\r\n\tname=\"a.bin\"\r\n"
                                         "Content-Transfer-Encoding: base64\r\nContent-Disposition: attachment;\r\n"
                                         "\tfilename=\"a.bin\"\r\n\r\n");
    for (const std::string& line : linesOf(attachmentHeader(std::string(60, 'n') + " " + std::string(60, 'm'))))
        EXPECT_LE(line.size(), 78u) << line;
    for (const std::string& line : linesOf(subjectLine(std::string(300, 'x') + " " + std::string(300, 'y'), false)))
        EXPECT_LE(line.size(), 301u) << line;
}

std::string qpEncode(std::string_view text, size_t piece = 1024) {
    QuotedPrintable coder;
    std::string out;
    while (!text.empty()) {
        coder.put(text.substr(0, piece), out);
        text.remove_prefix(std::min(piece, text.size()));
    }
    coder.finish(out);
    return out;
}

// RFC 2045 decoding, the way a mail reader undoes it.
std::string unquote(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '=') {
            out += text[i];
            continue;
        }
        if (text.compare(i, 3, "=\r\n") == 0) {
            i += 2;
            continue;
        }
        out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
        i += 2;
    }
    return out;
}

TEST(QuotedPrintable, EncodesWhatCannotGoAsItStands) {
    const struct {
        std::string text, expected;
    } rows[] = {
        /* 0 */ {"plain text", "plain text"},
        /* 1 */ {"a=b", "a=3Db"},
        /* 2 blank before a line end, and at the end */ {"a \r\nb\t", "a=20\r\nb=09"},
        /* 3 lone CR and LF become CR LF */ {"a\rb\nc\r", "a\r\nb\r\nc\r\n"},
        /* 4 a leading dot */ {".\r\n.x", "=2E\r\n=2Ex"},
        /* 5 UTF-8 and controls */ {"\xC3\xBC\x01", "=C3=BC=01"},
        /* 6 soft break at 76 with the '=' */ {std::string(80, 'a'), std::string(75, 'a') + "=\r\n" + "aaaaa"},
        /* 7 an encoded byte is never split */ {std::string(74, 'a') + "=", std::string(74, 'a') + "=\r\n=3D"},
        /* 8 a dot after a soft break */ {std::string(75, 'a') + ".", std::string(75, 'a') + "=\r\n=2E"},
        /* 9 a blank before a soft break stays */ {std::string(74, 'a') + " b", std::string(74, 'a') + " =\r\nb"},
    };
    for (size_t i = 0; i < std::size(rows); ++i) EXPECT_EQ(qpEncode(rows[i].text), rows[i].expected) << "row " << i;
}

TEST(QuotedPrintable, RoundTripInLinesOf76WhateverThePieces) {
    std::string text = std::string(5000, 'x') + " \t\r\n.\r\n" + std::string(300, '=') + "\n\xE2\x82\xAC end ";
    std::string expected = std::string(5000, 'x') + " \t\r\n.\r\n" + std::string(300, '=') + "\r\n\xE2\x82\xAC end ";
    for (size_t piece : {size_t{1}, size_t{7}, size_t{1024}}) {
        std::string out = qpEncode(text, piece);
        EXPECT_EQ(out, qpEncode(text)) << "piece " << piece;
        EXPECT_EQ(unquote(out), expected) << "piece " << piece;
        for (const std::string& line : linesOf(out)) {
            EXPECT_LE(line.size(), 76u);
            EXPECT_FALSE(!line.empty() && line[0] == '.') << "a line that begins with '.'";
            EXPECT_FALSE(!line.empty() && (line.back() == ' ' || line.back() == '\t')) << "a blank at a line end";
        }
    }
}

TEST(QuotedPrintable, OnlyPartsWithOverlongLines) {
    EXPECT_FALSE(needsQuotedPrintable(""));
    EXPECT_FALSE(needsQuotedPrintable(std::string(998, 'a') + "\r\n" + std::string(998, 'b')));
    EXPECT_TRUE(needsQuotedPrintable(std::string(999, 'a')));
    // A leading dot is doubled on the wire.
    EXPECT_FALSE(needsQuotedPrintable("." + std::string(996, 'a')));
    EXPECT_TRUE(needsQuotedPrintable("x\n." + std::string(997, 'a')));
    // Any of the three line ends ends a line; CR LF counts once.
    EXPECT_FALSE(needsQuotedPrintable(std::string(998, 'a') + "\r" + std::string(998, 'a') + "\n" + std::string(998, 'a')));
}

}  // namespace
