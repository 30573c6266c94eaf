#include "SystemShell_posix.h"

#include "ItemIDList.h"
#include "ShellItems_posix.h"
#include "ShellIcons.h"
#include "ShellText.h"
#include "Translation.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>

namespace quillane::shell {

using namespace posix;

namespace {

class MallocAllocator : public ShellAllocator {
public:
    void* Alloc(std::size_t size) override { return std::malloc(size == 0 ? 1 : size); }
    void Free(void* block) override { std::free(block); }
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::string();
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string BaseName(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return path;
    if (slash + 1 == path.size()) return path;  // "/" names itself
    return path.substr(slash + 1);
}

// The desktop directory of the XDG user-dirs file, "$HOME/..." expanded.
std::string XdgDesktop(const std::string& home) {
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    const std::string config = configHome && *configHome ? configHome : JoinPath(home, ".config");
    std::istringstream in(ReadFile(JoinPath(config, "user-dirs.dirs")));
    std::string line;
    const std::string key = "XDG_DESKTOP_DIR=";
    while (std::getline(in, line)) {
        if (line.compare(0, key.size(), key) != 0) continue;
        std::string value = line.substr(key.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
        if (value.compare(0, 5, "$HOME") == 0) value = home + value.substr(5);
        return value;
    }
    return std::string();
}

// Whether `path` is `mount` or lies below it.
bool Below(const std::string& path, const std::string& mount) {
    if (path.compare(0, mount.size(), mount) != 0) return false;
    return path.size() == mount.size() || mount == "/" || path[mount.size()] == '/';
}

}  // namespace

struct PosixShellState {
    std::shared_ptr<MallocAllocator> allocator = std::make_shared<MallocAllocator>();
    std::string homeOption;
    std::string desktopOption;
    std::string mountsFile;
    std::vector<PosixVolume> fixedVolumes;

    // The home and desktop folders, found on first use on whichever thread
    // asks first: finding the desktop reads the disk.
    const std::string& Home() const {
        Places();
        return FHome;
    }
    const std::string& Desktop() const {
        Places();
        return FDesktop;
    }

    std::vector<MountEntry> MountTable() const { return ParseMountTable(ReadFile(mountsFile)); }

    std::vector<PosixVolume> Volumes() const {
        if (fixedVolumes.empty()) return SelectVolumes(MountTable());
        std::vector<PosixVolume> volumes{{"/", false}};
        for (PosixVolume v : fixedVolumes) {
            while (v.mountPoint.size() > 1 && v.mountPoint.back() == '/') v.mountPoint.pop_back();
            if (!v.mountPoint.empty() && v.mountPoint[0] == '/' && v.mountPoint != "/") volumes.push_back(v);
        }
        return volumes;
    }

    std::vector<std::string> RemoteMounts() const {
        if (fixedVolumes.empty()) return RemoteMountPoints(MountTable());
        std::vector<std::string> remote;
        for (const PosixVolume& v : Volumes())
            if (v.remote) remote.push_back(v.mountPoint);
        return remote;
    }

    PItemIDList Allocate(const std::string& bytes) const { return AllocIDListFrom(*allocator, bytes); }

    // `remote`: the mount points not to be looked at (RemoteMounts).
    std::uint32_t Attributes(const Place& place, std::uint32_t asked, const std::vector<std::string>& remote) const {
        std::uint32_t attrs = 0;
        switch (place.type) {
        case Place::Desktop:
            attrs = SFGAO_FOLDER | SFGAO_FILESYSANCESTOR | SFGAO_HASSUBFOLDER;
            if (!Desktop().empty()) attrs |= SFGAO_FILESYSTEM;
            return attrs;
        case Place::Computer:
            return SFGAO_FOLDER | SFGAO_FILESYSANCESTOR | SFGAO_HASSUBFOLDER;
        case Place::FileSystem:
            break;
        }
        attrs = SFGAO_FILESYSTEM;
        if (!place.IsFolder()) return attrs;
        attrs |= SFGAO_FOLDER | SFGAO_FILESYSANCESTOR;
        if (!(asked & SFGAO_HASSUBFOLDER)) return attrs;
        // A network or FUSE file system may take long or never answer: its
        // folders may have subfolders until they are opened.
        for (const std::string& mount : remote)
            if (Below(place.path, mount)) return attrs | SFGAO_HASSUBFOLDER;
        // One lstat: a folder's link count is 2 plus its subfolders where
        // the file system counts them; below 2 it does not, so "maybe".
        struct stat st;
        bool ok = ::lstat(place.path.c_str(), &st) == 0;
        if (ok && S_ISLNK(st.st_mode)) ok = ::stat(place.path.c_str(), &st) == 0;
        if (ok && S_ISDIR(st.st_mode) && (st.st_nlink < 2 || st.st_nlink > 2)) attrs |= SFGAO_HASSUBFOLDER;
        return attrs;
    }

private:
    void Places() const {
        std::call_once(FPlacesOnce, [this] {
            FHome = homeOption;
            if (FHome.empty())
                if (const char* home = std::getenv("HOME")) FHome = home;
            while (FHome.size() > 1 && FHome.back() == '/') FHome.pop_back();
            FDesktop = desktopOption;
            if (FDesktop.empty() && !FHome.empty()) {
                FDesktop = XdgDesktop(FHome);
                if (FDesktop.empty() || !IsDirectory(FDesktop)) FDesktop = JoinPath(FHome, "Desktop");
            }
            if (!IsDirectory(FDesktop)) FDesktop.clear();
        });
    }

    mutable std::once_flag FPlacesOnce;
    mutable std::string FHome;
    mutable std::string FDesktop;
};

namespace {

// Answers a display name: `text` is UTF-8 (the 8-bit code page here).
HResult AnswerText(ShellAllocator& allocator, const std::string& text, StrRet& name) {
    if (text.size() < StrRetBufferSize) {
        name.uType = STRRET_CSTR;
        std::memset(name.cStr, 0, StrRetBufferSize);
        std::memcpy(name.cStr, text.data(), text.size());
        return ShellOk;
    }
    const std::u16string wide = Utf8ToUtf16(text);
    auto* block = static_cast<char16_t*>(allocator.Alloc((wide.size() + 1) * sizeof(char16_t)));
    if (block == nullptr) return ShellOutOfMemory;
    std::memcpy(block, wide.c_str(), (wide.size() + 1) * sizeof(char16_t));
    name.uType = STRRET_WSTR;
    name.pOleStr = block;
    return ShellOk;
}

class PosixEnumerator : public ShellEnumerator {
public:
    // A fixed list of items (the desktop's and the computer's).
    PosixEnumerator(std::shared_ptr<PosixShellState> state, std::vector<std::string> items)
        : FState(std::move(state)), FItems(std::move(items)) {}
    // The entries of an open directory.
    PosixEnumerator(std::shared_ptr<PosixShellState> state, DIR* dir, std::uint32_t flags)
        : FState(std::move(state)), FDir(dir), FFlags(flags) {}
    ~PosixEnumerator() override {
        if (FDir) ::closedir(FDir);
    }
    PosixEnumerator(const PosixEnumerator&) = delete;
    PosixEnumerator& operator=(const PosixEnumerator&) = delete;

    HResult Next(PItemIDList& item) override {
        item = nullptr;
        if (FDir == nullptr) {
            if (FPos >= FItems.size()) return ShellFalse;
            item = FState->Allocate(FItems[FPos]);
            if (item == nullptr) return ShellOutOfMemory;
            ++FPos;
            return ShellOk;
        }
        while (dirent* entry = ::readdir(FDir)) {
            const char* name = entry->d_name;
            // Dot names are hidden by convention; "." and ".." are among them.
            if (name[0] == '.' && !(FFlags & SHCONTF_INCLUDEHIDDEN)) continue;
            if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
            bool folder;
            if (entry->d_type == DT_DIR) {
                folder = true;
            } else if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
                // A link counts as what it points to; a broken one as a file.
                struct stat st;
                folder = ::fstatat(::dirfd(FDir), name, &st, 0) == 0 && S_ISDIR(st.st_mode);
            } else {
                folder = false;
            }
            if (folder && !(FFlags & SHCONTF_FOLDERS)) continue;
            if (!folder && !(FFlags & SHCONTF_NONFOLDERS)) continue;
            item = FState->Allocate(MakeItem(folder ? KindFolder : KindFile, name));
            return item ? ShellOk : ShellOutOfMemory;
        }
        return ShellFalse;
    }

private:
    std::shared_ptr<PosixShellState> FState;
    std::vector<std::string> FItems;
    std::size_t FPos = 0;
    DIR* FDir = nullptr;
    std::uint32_t FFlags = 0;
};

class PosixFolder : public ShellFolder {
public:
    PosixFolder(std::shared_ptr<PosixShellState> state, Place place)
        : FState(std::move(state)), FPlace(std::move(place)) {}

    HResult ParseDisplayName(WindowHandle, const std::string& name, PItemIDList& list) override {
        list = nullptr;
        std::string bytes;
        if (FPlace.type == Place::Desktop) {
            if (!ItemsOfPath(name, FState->Volumes(), bytes)) return ShellNotFound;
        } else if (FPlace.type == Place::FileSystem && FPlace.IsFolder()) {
            // Relative names only: a path below this folder, as items of it.
            if (name.empty() || name[0] == '/') return ShellInvalidArg;
            std::string parent = FPlace.path;
            std::istringstream in(name);
            std::string part;
            std::vector<std::string> parts;
            while (std::getline(in, part, '/'))
                if (!part.empty() && part != ".") parts.push_back(part);
            for (std::size_t i = 0; i < parts.size(); ++i) {
                if (parts[i] == "..") return ShellInvalidArg;
                parent = JoinPath(parent, parts[i]);
                struct stat st;
                if (::lstat(parent.c_str(), &st) != 0) return ShellNotFound;
                const bool last = i + 1 == parts.size();
                bytes += MakeItem(!last || IsDirectory(parent) ? KindFolder : KindFile, parts[i]);
            }
            if (bytes.empty()) return ShellInvalidArg;
        } else {
            return ShellInvalidArg;
        }
        list = FState->Allocate(bytes);
        return list ? ShellOk : ShellOutOfMemory;
    }

    HResult EnumObjects(WindowHandle, std::uint32_t flags, ShellEnumPtr& result) override {
        result.reset();
        std::vector<std::string> items;
        switch (FPlace.type) {
        case Place::Desktop:
            if (flags & SHCONTF_FOLDERS) {
                items.push_back(MakeItem(KindComputer, std::string()));
                if (!FState->Home().empty() && IsDirectory(FState->Home()))
                    items.push_back(MakeItem(KindHome, FState->Home()));
            }
            break;
        case Place::Computer:
            if (flags & SHCONTF_FOLDERS)
                for (const PosixVolume& volume : FState->Volumes())
                    items.push_back(MakeItem(KindVolume, volume.mountPoint));
            break;
        case Place::FileSystem: {
            if (!FPlace.IsFolder()) return ShellInvalidArg;
            DIR* dir = ::opendir(FPlace.path.c_str());
            if (dir == nullptr) return errno == EACCES ? ShellAccessDenied : ShellNotFound;
            result = std::make_unique<PosixEnumerator>(FState, dir, flags);
            return ShellOk;
        }
        }
        result = std::make_unique<PosixEnumerator>(FState, std::move(items));
        return ShellOk;
    }

    HResult BindToObject(PCItemIDList item, ShellFolderPtr& result) override {
        result.reset();
        Place place;
        if (IsDesktopIDList(item) || !ResolveItems(FPlace, item, place)) return ShellInvalidArg;
        if (!place.IsFolder()) return ShellInvalidArg;
        result = std::make_shared<PosixFolder>(FState, std::move(place));
        return ShellOk;
    }

    HResult GetAttributesOf(unsigned count, const PCItemIDList* items, std::uint32_t& mask) override {
        if (count == 0 || items == nullptr) return ShellInvalidArg;
        std::uint32_t common = ~0u;
        for (unsigned i = 0; i < count; ++i) {
            Place place;
            if (!ResolveItems(FPlace, items[i], place)) return ShellInvalidArg;
            common &= FState->Attributes(place, mask, RemoteMounts());
        }
        mask &= common;
        return ShellOk;
    }

    HResult GetDisplayNameOf(PCItemIDList item, std::uint32_t, StrRet& name) override {
        Place place;
        if (!ResolveItems(FPlace, item, place)) return ShellInvalidArg;
        switch (place.type) {
        case Place::Desktop:
            // The names Windows' shell gives in its own language, here in the user's.
            return AnswerText(*FState->allocator, Translate("quillane::shell::PosixShell", "デスクトップ"), name);
        case Place::Computer:
            return AnswerText(*FState->allocator, Translate("quillane::shell::PosixShell", "コンピュータ"), name);
        case Place::FileSystem:
            break;
        }
        if (place.kind == KindVolume) return AnswerText(*FState->allocator, place.path, name);
        if (place.kind == KindHome) return AnswerText(*FState->allocator, BaseName(place.path), name);
        // A folder or file item names itself: point at the name inside the
        // last item rather than copying it.
        PCItemIDList last = item;
        for (PCItemIDList it = item; ItemSize(it) != 0; it = NextIDListItem(it)) last = it;
        name.uType = STRRET_OFFSET;
        name.uOffset = static_cast<std::uint32_t>((last - item) + NameOffset);
        return ShellOk;
    }

private:
    // Read once per folder object, which lives for one listing or look-up:
    // a folder's items are asked about one by one.
    const std::vector<std::string>& RemoteMounts() const {
        std::call_once(FRemoteOnce, [this] { FRemote = FState->RemoteMounts(); });
        return FRemote;
    }

    std::shared_ptr<PosixShellState> FState;
    Place FPlace;
    mutable std::once_flag FRemoteOnce;
    mutable std::vector<std::string> FRemote;
};

class PosixShellPlatform : public ShellPlatform {
public:
    explicit PosixShellPlatform(std::shared_ptr<PosixShellState> state) : FState(std::move(state)) {}

    HResult GetMalloc(ShellAllocatorPtr& result) override {
        result = FState->allocator;
        return ShellOk;
    }

    HResult GetDesktopFolder(ShellFolderPtr& result) override {
        result = std::make_shared<PosixFolder>(FState, Place());
        return ShellOk;
    }

    HResult GetSpecialFolderLocation(WindowHandle, int csidl, PItemIDList& list) override {
        list = nullptr;
        std::string bytes;
        switch (csidl) {
        case 0:  // desktop
            break;
        case 17:  // the computer
            bytes = MakeItem(KindComputer, std::string());
            break;
        case 5:  // personal folder: the home folder
            if (FState->Home().empty() || !IsDirectory(FState->Home())) return ShellNotFound;
            bytes = MakeItem(KindHome, FState->Home());
            break;
        case 16:  // desktop directory
            if (FState->Desktop().empty() || !ItemsOfPath(FState->Desktop(), FState->Volumes(), bytes))
                return ShellNotFound;
            break;
        default:
            return ShellNotFound;
        }
        list = FState->Allocate(bytes);
        return list ? ShellOk : ShellOutOfMemory;
    }

    ImageListHandle GetFileIconInfo(PCItemIDList absolute, std::uint32_t flags, int& iconIndex) override {
        Place place;
        if (!ResolveItems(Place(), absolute, place)) return 0;
        const bool open = (flags & SHGFI_OPENICON) != 0;
        if (place.type == Place::Desktop)
            iconIndex = IconDesktop;
        else if (place.type == Place::Computer)
            iconIndex = IconComputer;
        else if (place.kind == KindVolume)
            iconIndex = IconDrive;
        else if (place.kind == KindHome || place.path == FState->Home())
            iconIndex = IconHome;
        else if (!place.IsFolder())
            iconIndex = IconFile;
        else if (place.path == FState->Desktop())
            iconIndex = IconDesktop;
        else
            iconIndex = open ? IconFolderOpen : IconFolder;
        return SharedIconListHandle;
    }

    bool GetPathFromIDList(PCItemIDList absolute, std::string& path) override {
        Place place;
        if (!ResolveItems(Place(), absolute, place)) return false;
        if (place.type == Place::Desktop) {
            if (FState->Desktop().empty()) return false;
            path = FState->Desktop();
            return true;
        }
        if (place.type == Place::Computer) return false;
        path = place.path;
        return true;
    }

    // No all-users folders here: the other column maps them to the user's.
    bool IsNTFamily() override { return false; }

    // The system's 8-bit text is UTF-8 already.
    std::string SystemTextToUtf8(const std::string& text) override { return text; }

private:
    std::shared_ptr<PosixShellState> FState;
};

}  // namespace

std::shared_ptr<ShellPlatform> CreatePosixShellPlatform(const PosixShellOptions& options) {
    auto state = std::make_shared<PosixShellState>();
    state->homeOption = options.home;
    state->desktopOption = options.desktop;
    state->mountsFile = options.mountsFile.empty() ? "/proc/self/mounts" : options.mountsFile;
    state->fixedVolumes = options.volumes;
    return std::make_shared<PosixShellPlatform>(std::move(state));
}

std::shared_ptr<ShellPlatform> CreateSystemShellPlatform() {
    return CreatePosixShellPlatform(PosixShellOptions());
}

}  // namespace quillane::shell
