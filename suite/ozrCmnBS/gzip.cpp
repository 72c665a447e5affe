// gzip streams (RFC 1952) written through zlib into a CGenericFile.
#include "base/suite/ozrCmnBS.h"

#include <zlib.h>

#include <climits>
#include <cstring>
#include <new>

struct GGZSTREAM {
    CGenericFile* file;
    z_stream z;
    // zlib reads the header (and the name in it) when it writes its first bytes.
    gz_header header;
    char* name;
    bool failed;
    Bytef out[0x10000];
};

namespace {

// The header's operating-system byte: 11 stands for NTFS (RFC 1952, 2.3.1).
constexpr int kOsNtfs = 11;

// Runs deflate until it wants more input (or, when finishing, to the end),
// writing every full output buffer to the file.
bool pump(GGZSTREAM* s, int flush) {
    for (;;) {
        s->z.next_out = s->out;
        s->z.avail_out = sizeof(s->out);
        int rc = deflate(&s->z, flush);
        if (rc == Z_STREAM_ERROR) return false;
        DWORD produced = static_cast<DWORD>(sizeof(s->out) - s->z.avail_out);
        if (produced && s->file->Write(s->out, produced) != ERROR_SUCCESS) return false;
        if (flush == Z_FINISH ? rc == Z_STREAM_END : (s->z.avail_in == 0 && s->z.avail_out != 0)) return true;
    }
}

void destroy(GGZSTREAM* s) {
    delete[] s->name;
    delete s;
}

}  // namespace

extern "C" {

GGZSTREAM* WINAPI ggzopen(CGenericFile* file, const char* name, DWORD reserved1, DWORD reserved2) {
    if (!file || file->GetHandle() == INVALID_HANDLE_VALUE || reserved1 || reserved2) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto* s = new (std::nothrow) GGZSTREAM{};
    if (!s) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    s->file = file;
    if (name) {
        size_t n = strlen(name);
        s->name = new (std::nothrow) char[n + 1];
        if (!s->name) {
            destroy(s);
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
        memcpy(s->name, name, n + 1);
        s->header.name = reinterpret_cast<Bytef*>(s->name);
    }
    // Modification time 0: "no time stamp" (the name is all the header knows).
    s->header.time = 0;
    s->header.os = kOsNtfs;
    // 16 + 15: a gzip wrapper around a deflate stream with a 32 KiB window.
    if (deflateInit2(&s->z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 16 + 15, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        destroy(s);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (deflateSetHeader(&s->z, &s->header) != Z_OK) {
        deflateEnd(&s->z);
        destroy(s);
        SetLastError(ERROR_INVALID_FUNCTION);
        return nullptr;
    }
    return s;
}

int WINAPI ggzwrite(GGZSTREAM* stream, const void* buffer, DWORD length, DWORD reserved) {
    if (!stream || stream->failed || (!buffer && length) || length > INT_MAX || reserved) return -1;
    if (length == 0) return 0;
    stream->z.next_in = static_cast<Bytef*>(const_cast<void*>(buffer));
    stream->z.avail_in = length;
    if (!pump(stream, Z_NO_FLUSH)) {
        stream->failed = true;
        return -1;
    }
    return static_cast<int>(length);
}

int WINAPI ggzclose(GGZSTREAM* stream) {
    if (!stream) return -1;
    bool ok = !stream->failed;
    if (ok) {
        stream->z.next_in = nullptr;
        stream->z.avail_in = 0;
        ok = pump(stream, Z_FINISH);
    }
    deflateEnd(&stream->z);
    destroy(stream);
    return ok ? 0 : -1;
}
}
