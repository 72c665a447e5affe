#include "submit/core/spool_text.h"

#include <array>

namespace elk::submit {

namespace {

constexpr char kDigits[] = "0123456789abcdef";

std::string hex32(std::uint32_t value) {
    std::string text = "0x";
    for (int shift = 28; shift >= 0; shift -= 4) text += "0123456789ABCDEF"[(value >> shift) & 0xF];
    return text;
}

std::string twoDigits(unsigned value) { return {static_cast<char>('0' + value / 10 % 10), static_cast<char>('0' + value % 10)}; }

// Days since 1970-01-01 to the civil date (proleptic Gregorian calendar).
void civilFromDays(std::int64_t days, std::int64_t& year, unsigned& month, unsigned& day) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const auto dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned shiftedMonth = (5 * dayOfYear + 2) / 153;
    day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
    month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
    year = static_cast<std::int64_t>(yearOfEra) + era * 400 + (month <= 2);
}

std::string escapedByte(unsigned value) { return std::string("\\x") + kDigits[value >> 4 & 0xF] + kDigits[value & 0xF]; }

std::u16string quotedWide(std::u16string_view text) {
    std::u16string out = u"\"";
    for (char16_t c : text)
        if (c < 0x20 || c == 0x7F)
            out += widen(escapedByte(c));
        else
            out += c;
    return out + u"\"";
}

std::string quotedBytes(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7F)
            out += escapedByte(byte);
        else
            out += c;
    }
    return out + "\"";
}

std::string numberText(std::string_view recordTag, std::uint32_t value) {
    const std::string plain = std::to_string(value);
    if (recordTag == tag::kSize) return plain;
    if (recordTag == tag::kDate) return plain + " (" + utcText(value) + ")";
    if (recordTag == tag::kFlags) return flagsText(value);
    if (recordTag == tag::kKind) return kindText(value);
    if (recordTag == tag::kProgram)
        return hex32(value) + " (version " + std::to_string(value >> 24) + "." + std::to_string(value >> 16 & 0xFF) +
               ", setup " + std::to_string(value & 0xFFFF) + ")";
    if (recordTag == tag::kSystem)
        return hex32(value) + " (build " + std::to_string(value & 0x7FFFFFFF) +
               (value & 0x80000000 ? ", 64-bit)" : ", 32-bit)");
    return plain + " (" + hex32(value) + ")";
}

bool isReservedDevice(std::u16string_view name) {
    std::u16string_view stem = name.substr(0, name.find(u'.'));
    while (!stem.empty() && stem.back() == u' ') stem.remove_suffix(1);
    std::string upper;
    for (char16_t c : stem) {
        if (c > 0x7F) return false;
        upper += static_cast<char>(c >= u'a' && c <= u'z' ? c - 0x20 : c);
    }
    if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL" || upper == "CONIN$" || upper == "CONOUT$")
        return true;
    return upper.size() == 4 && (upper.compare(0, 3, "COM") == 0 || upper.compare(0, 3, "LPT") == 0) &&
           upper[3] >= '1' && upper[3] <= '9';
}

void trimEnd(std::u16string& name) {
    while (!name.empty() && (name.back() == u'.' || name.back() == u' ')) name.pop_back();
}

}  // namespace

std::string hexText(const unsigned char* bytes, std::size_t n, char separator) {
    std::string text;
    for (std::size_t i = 0; i < n; ++i) {
        if (i && separator) text += separator;
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0xF];
    }
    return text;
}

std::string tagText(std::string_view recordTag) {
    std::string text;
    for (char c : recordTag) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7F || c == '\\')
            text += escapedByte(byte);
        else
            text += c;
    }
    return text;
}

std::string utcText(std::int64_t unixSeconds) {
    std::int64_t days = unixSeconds / 86400, seconds = unixSeconds % 86400;
    if (seconds < 0) {
        seconds += 86400;
        --days;
    }
    std::int64_t year;
    unsigned month, day;
    civilFromDays(days, year, month, day);
    std::string yearText = std::to_string(year < 0 ? -year : year);
    if (yearText.size() < 4) yearText.insert(0, 4 - yearText.size(), '0');
    if (year < 0) yearText.insert(0, 1, '-');
    const auto s = static_cast<unsigned>(seconds);
    return yearText + "-" + twoDigits(month) + "-" + twoDigits(day) + " " + twoDigits(s / 3600) + ":" +
           twoDigits(s / 60 % 60) + ":" + twoDigits(s % 60) + " UTC";
}

std::string fileTimeText(std::uint64_t fileTime) {
    // 1601-01-01 lies 11644473600 seconds before 1970-01-01.
    return utcText(static_cast<std::int64_t>(fileTime / 10000000) - 11644473600LL);
}

std::string flagsText(std::uint32_t flags) {
    static const struct {
        std::uint32_t bit;
        const char* name;
    } kNames[] = {
        {kInWindowsFolder, "in the Windows folder"},
        {kInProgramFiles, "in the program-files folder"},
        {kInProfile, "in the profile folder"},
        {kPropertiesOnly, "properties only"},
        {kRawAccess, "raw access"},
        {kCompressFiles, "compress files"},
    };
    std::string names;
    std::uint32_t rest = flags;
    for (const auto& n : kNames) {
        if (!(flags & n.bit)) continue;
        names += names.empty() ? "" : ", ";
        names += n.name;
        rest &= ~n.bit;
    }
    if (rest) names += (names.empty() ? "other bits " : ", other bits ") + hex32(rest);
    return hex32(flags) + (names.empty() ? "" : " (" + names + ")");
}

std::string kindText(std::uint32_t kind) {
    static const char* const kNames[] = {"automatic", "manual", "false positive", "statistics", "heuristic",
                                         "crash dump"};
    return std::to_string(kind) + " (" + (kind < std::size(kNames) ? kNames[kind] : "other") + ")";
}

std::u16string widen(std::string_view ascii) {
    std::u16string text;
    for (char c : ascii) text += static_cast<char16_t>(static_cast<unsigned char>(c));
    return text;
}

bool recordValue(SpoolReader& reader, const SpoolRecord& record, std::u16string& value, bool& content) {
    value.clear();
    content = false;
    switch (formOf(record.tag)) {
    case SpoolForm::WideText: {
        std::u16string text;
        if (!reader.wideText(record, text)) return false;
        value = quotedWide(text);
        return true;
    }
    case SpoolForm::Number: {
        std::uint32_t number;
        if (!reader.number(record, number)) return false;
        value = widen(numberText(record.tag, number));
        return true;
    }
    case SpoolForm::Text: {
        std::string text;
        if (!reader.text(record, text)) return false;
        value = widen(quotedBytes(text));
        return true;
    }
    case SpoolForm::Hash: {
        std::array<unsigned char, 32> digest;
        if (!reader.hash(record, digest)) return false;
        value = widen(hexText(digest.data(), digest.size()));
        return true;
    }
    case SpoolForm::FileTime: {
        std::uint64_t time;
        if (!reader.fileTime(record, time)) return false;
        value = widen(fileTimeText(time));
        return true;
    }
    case SpoolForm::Content:
        content = true;
        return true;
    case SpoolForm::Property:
        break;
    }
    std::u16string text;
    if (reader.isWideText(record) && reader.wideText(record, text))
        value = quotedWide(text);
    else
        content = true;
    return true;
}

std::u16string summaryColumns(const SpoolSummary& summary) {
    auto number = [](const std::optional<std::uint32_t>& n) { return n ? std::to_string(*n) : std::string("-"); };
    std::string columns = number(summary.kind) + "  " + (summary.flags ? hex32(*summary.flags) : "-") + "  " +
                          number(summary.size ? summary.size : summary.dataLength) + "  " +
                          (summary.date ? utcText(*summary.date) : "-") + "  ";
    return widen(columns) + (summary.name ? quotedWide(*summary.name) : u"-");
}

std::u16string safeFileName(std::u16string_view name) {
    const std::size_t slash = name.find_last_of(u"\\/");
    if (slash != std::u16string_view::npos) name.remove_prefix(slash + 1);
    std::u16string safe;
    for (char16_t c : name) {
        const bool refused = c < 0x20 || c == u'<' || c == u'>' || c == u':' || c == u'"' || c == u'|' ||
                             c == u'?' || c == u'*';
        safe += refused ? u'_' : c;
    }
    trimEnd(safe);
    if (isReservedDevice(safe)) safe.insert(0, 1, u'_');
    // A component holds at most 255 units; a surrogate pair is not cut.
    if (safe.size() > 255) {
        safe.resize(255);
        if (safe.back() >= 0xD800 && safe.back() <= 0xDBFF) safe.pop_back();
        trimEnd(safe);
    }
    return safe;
}

bool isGzip(const unsigned char* bytes, std::size_t n) {
    // ID1, ID2, deflate, and no reserved flag bits.
    return n >= 10 && bytes[0] == 0x1F && bytes[1] == 0x8B && bytes[2] == 8 && (bytes[3] & 0xE0) == 0;
}

std::optional<std::string> gzipFileName(const unsigned char* bytes, std::size_t n) {
    constexpr unsigned char kExtra = 0x04, kName = 0x08;
    if (!isGzip(bytes, n) || !(bytes[3] & kName)) return std::nullopt;
    std::size_t at = 10;
    if (bytes[3] & kExtra) {
        if (n - at < 2) return std::nullopt;
        const std::size_t extra = bytes[at] | static_cast<std::size_t>(bytes[at + 1]) << 8;
        at += 2;
        if (n - at < extra) return std::nullopt;
        at += extra;
    }
    for (std::size_t end = at; end < n; ++end)
        if (bytes[end] == 0) return std::string(reinterpret_cast<const char*>(bytes + at), end - at);
    return std::nullopt;
}

}  // namespace elk::submit
