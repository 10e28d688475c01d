// Faces as Windows registers them: each installed font is a value under the
// Fonts key, named like "DejaVu Sans Bold (TrueType)" (a collection joins
// its faces with " & "), holding a file name in the Fonts folder or, for a
// font installed for one user only, a full path. Installers may write that
// path with variables in it (%LOCALAPPDATA%, %SystemRoot%) as an
// expandable value.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <cwctype>
#include <vector>

#include "platform/os/FontLocator.h"

namespace dv::os {

namespace {

constexpr const wchar_t* kFontsKey = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";

struct Registered {
    std::vector<std::wstring> faces;  // in collection order
    std::wstring file;
};

std::wstring Wide(const std::string& text) {
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0) {
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
    }
    return out;
}

bool SameName(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::towlower(a[i]) != std::towlower(b[i])) {
            return false;
        }
    }
    return true;
}

// "A & B (TrueType)" -> {"A", "B"}.
std::vector<std::wstring> FacesOf(std::wstring name) {
    if (const auto open = name.rfind(L" ("); open != std::wstring::npos && name.back() == L')') {
        name.resize(open);
    }
    std::vector<std::wstring> faces;
    for (std::size_t start = 0;;) {
        const std::size_t amp = name.find(L" & ", start);
        faces.push_back(name.substr(start, amp == std::wstring::npos ? std::wstring::npos : amp - start));
        if (amp == std::wstring::npos) {
            return faces;
        }
        start = amp + 3;
    }
}

// The text with its %VARIABLES% replaced, as Windows reads an expandable value.
std::wstring Expanded(const std::wstring& text) {
    std::wstring out(text.size() + 1, L'\0');
    for (;;) {
        const DWORD needed = ExpandEnvironmentStringsW(text.c_str(), out.data(), static_cast<DWORD>(out.size()));
        if (needed == 0) {
            return text;
        }
        if (needed <= out.size()) {
            out.resize(needed - 1);
            return out;
        }
        out.resize(needed);
    }
}

void ReadKey(HKEY root, std::vector<Registered>& out) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, kFontsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return;
    }
    for (DWORD i = 0;; ++i) {
        wchar_t name[512];
        DWORD nameLength = sizeof name / sizeof name[0];
        wchar_t data[1024];
        DWORD dataBytes = sizeof data - sizeof(wchar_t);
        DWORD type = 0;
        const LONG status =
            RegEnumValueW(key, i, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataBytes);
        if (status == ERROR_NO_MORE_ITEMS) {
            break;
        }
        if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
            continue;
        }
        data[dataBytes / sizeof(wchar_t)] = L'\0';
        const std::wstring file(data);
        out.push_back({FacesOf(std::wstring(name, nameLength)), type == REG_EXPAND_SZ ? Expanded(file) : file});
    }
    RegCloseKey(key);
}

// Asked of the shell rather than built from the Windows folder: under
// Terminal Services a program not marked as aware of it is given a Windows
// folder of its own for each user, which holds no fonts.
std::filesystem::path FontsFolder() {
    PWSTR folder = nullptr;
    std::filesystem::path out;
    if (SHGetKnownFolderPath(FOLDERID_Fonts, KF_FLAG_DEFAULT, nullptr, &folder) == S_OK) {
        out = std::filesystem::path(folder);
    }
    // Freed whether the call succeeded or not.
    CoTaskMemFree(folder);
    return out;
}

}  // namespace

struct FontLocator::Installed {
    Installed() : folder(FontsFolder()) {
        // The machine's fonts first, then the ones a user installed for themselves.
        ReadKey(HKEY_LOCAL_MACHINE, fonts);
        ReadKey(HKEY_CURRENT_USER, fonts);
    }

    std::vector<Registered> fonts;
    std::filesystem::path folder;
};

FontLocator::FontLocator(BundledFonts bundled)
    : installed_(std::make_unique<const Installed>()), bundled_(std::move(bundled)) {}

FontLocator::~FontLocator() = default;

std::optional<FontFile> FontLocator::FindInstalled(const std::string& face, bool bold) const {
    const std::wstring wanted = Wide(face);
    // A bold face is its own entry; without one the regular is thickened.
    struct Try {
        std::wstring name;
        bool embolden;
    };
    std::vector<Try> tries;
    if (bold) {
        tries.push_back({wanted + L" Bold", false});
    }
    tries.push_back({wanted, bold});
    for (const Try& t : tries) {
        for (const Registered& r : installed_->fonts) {
            for (std::size_t i = 0; i < r.faces.size(); ++i) {
                if (!SameName(r.faces[i], t.name)) {
                    continue;
                }
                std::filesystem::path file(r.file);
                if (file.is_relative()) {
                    file = installed_->folder / file;
                }
                std::error_code ec;
                if (std::filesystem::is_regular_file(file, ec)) {
                    return FontFile{file, static_cast<int>(i), t.embolden};
                }
            }
        }
    }
    return std::nullopt;
}

}  // namespace dv::os
