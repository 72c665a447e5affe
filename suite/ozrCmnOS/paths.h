// Path forms that the layer hands to the system.
#pragma once
#include <windows.h>

#include <string>

namespace ozrcmnos {

// The absolute long-path form of `path` ("\\?\C:\...", "\\?\UNC\server\...").
// 0 or a Windows error code.
DWORD longPath(const wchar_t* path, std::wstring& out) noexcept;
// The literal long-path form of an absolute path, with nothing rewritten.
DWORD rawPath(const wchar_t* path, std::wstring& out) noexcept;

}  // namespace ozrcmnos
