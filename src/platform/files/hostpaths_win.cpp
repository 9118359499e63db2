#include "hostpaths.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>

namespace tunora {

namespace {

// A path a Win32 call writes into a buffer it is given, grown until the path fits.
template <typename Call>
FilePath askedPath(Call call)
{
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = call(buffer.data(), DWORD(buffer.size()));
        if (n == 0)
            return {};
        if (n < buffer.size()) {
            buffer.resize(n);
            return FilePath::fromNative(buffer.c_str());
        }
        buffer.resize(buffer.size() * 2);
    }
}

FilePath knownFolder(REFKNOWNFOLDERID id)
{
    PWSTR path = nullptr;
    FilePath folder;
    if (SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path) == S_OK)
        folder = FilePath::fromNative(path);
    CoTaskMemFree(path);
    return folder;
}

} // namespace

FilePath programFolder()
{
    // GetModuleFileNameW cuts the name short, and says so only by filling the buffer.
    return askedPath([](wchar_t *buffer, DWORD size) {
               const DWORD n = GetModuleFileNameW(nullptr, buffer, size);
               return n >= size ? size : n;
           })
        .folder();
}

FilePath currentFolder()
{
    // Answers the size it needs, with room for the terminating zero, when the buffer is short.
    return askedPath([](wchar_t *buffer, DWORD size) {
        const DWORD n = GetCurrentDirectoryW(size, buffer);
        return n >= size ? size : n;
    });
}

QStringList programArguments(int, const char *const *)
{
    QStringList arguments;
    int count = 0;
    if (wchar_t **words = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 0; i < count; ++i)
            arguments.append(QString::fromWCharArray(words[i]));
        LocalFree(words);
    }
    return arguments;
}

FilePath homeFolder()
{
    const FilePath profile = knownFolder(FOLDERID_Profile);
    return profile.isEmpty() ? FilePath(QStringLiteral("C:/")) : profile;
}

FilePath userConfigFolder()
{
    const FilePath roaming = knownFolder(FOLDERID_RoamingAppData);
    return roaming.isEmpty() ? homeFolder() / QStringLiteral("AppData/Roaming") : roaming;
}

} // namespace tunora
