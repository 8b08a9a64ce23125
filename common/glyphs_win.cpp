#include "glyphs_win.h"

#include "common_controls_win.h"
#include "glyph_picture.h"
#include "program_folder.h"

#include <string>
#include <utility>

namespace {

constexpr int kOnesBase = 0;   // ones 0-9, then tens 10-19, per bank of 20
constexpr int kTensBase = 10;
constexpr int kBankSize = 20;

// Owns one loaded module or image list for the length of a scope.
struct ModuleHolder {
    HMODULE module;
    ~ModuleHolder() { if (module) FreeLibrary(module); }
};

struct ImageListHolder {
    HIMAGELIST list;
    ~ImageListHolder() { if (list) image_list::Destroy(list); }
};

constexpr std::size_t kMaxLayers = 3;

HICON IconFromBits(BYTE* bits, std::size_t size, int side = kGlyphSide)
{
    return CreateIconFromResourceEx(bits, static_cast<DWORD>(size), TRUE, 0x00030000, side, side, LR_DEFAULTCOLOR);
}

int GlyphId(int index, GlyphSet set)
{
    if (set == GlyphSet::TrayClient && index == kGlyphFixedIcon) {
        return kFirstGlyphId + 2;
    }
    return kFirstGlyphId + index;
}

// Appends glyph `index` to the list, which keeps its own copy.
bool AddGlyph(HIMAGELIST list, const GlyphIcons& glyphs, int index)
{
    HICON icon = glyphs.Glyph(index);
    const int added = icon ? image_list::ReplaceIcon(list, -1, icon) : -1;
    if (icon) {
        DestroyIcon(icon);
    }
    return added >= 0;
}

}  // namespace

HMODULE LoadGlyphModule(const char* path)
{
    const std::string file = BesideProgram(path);
    HMODULE module = LoadLibraryExA(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module && GetLastError() == ERROR_INVALID_PARAMETER) {
        // Windows before Vista does not know the image-resource flag.
        module = LoadLibraryExA(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }
    return module;
}

int TrayPictureSide()
{
    const int side = GetSystemMetrics(SM_CXSMICON);
    return side < kGlyphSide ? kGlyphSide : side > kLargestPictureSide ? kLargestPictureSide : side;
}

bool GlyphIcons::Load(const char* path, GlyphSet set)
{
    side_ = TrayPictureSide();
    for (std::vector<BYTE>& data : data_) {
        data.clear();
    }
    ModuleHolder module{LoadGlyphModule(path)};
    if (!module.module) {
        return false;
    }
    // What LoadImageA does up to making the icon: the 16 x 16 entry of each icon group.
    for (int index = 0; index < kGlyphCount; ++index) {
        const BYTE* bytes = nullptr;
        DWORD size = 0;
        HRSRC group = FindResourceA(module.module, MAKEINTRESOURCEA(GlyphId(index, set)), RT_GROUP_ICON);
        HGLOBAL groupData = group ? LoadResource(module.module, group) : nullptr;
        const PBYTE directory = groupData ? static_cast<PBYTE>(LockResource(groupData)) : nullptr;
        // A group of one 16 x 16 entry has no choice to make; asking the platform costs a
        // display query per group under Wine.
        int iconId = directory ? SoleGlyphIconId(directory, SizeofResource(module.module, group)) : 0;
        if (directory && iconId == 0) {
            iconId = LookupIconIdFromDirectoryEx(directory, TRUE, 16, 16, LR_DEFAULTCOLOR);
        }
        HRSRC icon = iconId ? FindResourceA(module.module, MAKEINTRESOURCEA(iconId), RT_ICON) : nullptr;
        HGLOBAL iconData = icon ? LoadResource(module.module, icon) : nullptr;
        if (iconData) {
            bytes = static_cast<const BYTE*>(LockResource(iconData));
            size = SizeofResource(module.module, icon);
        }
        if (!bytes || size == 0) {
            for (std::vector<BYTE>& data : data_) {
                data.clear();
            }
            return false;
        }
        data_[index].assign(bytes, bytes + size);
    }
    return true;
}

HICON GlyphIcons::Glyph(int index) const
{
    if (index < 0 || index >= kGlyphCount || data_[index].empty()) {
        return nullptr;
    }
    std::vector<BYTE> bits = data_[index];  // the call takes the bits as writable
    return IconFromBits(bits.data(), bits.size());
}

bool GlyphIcons::Usable(int index) const
{
    if (index < 0 || index >= kGlyphCount) {
        return false;
    }
    GlyphPixels picture;
    if (DecodeGlyphPicture(GlyphBits{data_[index].data(), data_[index].size()}, picture)) {
        return true;
    }
    HICON icon = Glyph(index);
    if (icon) {
        DestroyIcon(icon);
    }
    return icon != nullptr;
}

HICON GlyphIcons::Compose(std::initializer_list<int> layers, Route route) const
{
    if (route == Route::Fastest && layers.size() <= kMaxLayers) {
        GlyphBits bits[kMaxLayers];
        std::size_t count = 0;
        for (int index : layers) {
            if (index < 0 || index >= kGlyphCount) {
                return nullptr;
            }
            bits[count++] = GlyphBits{data_[index].data(), data_[index].size()};
        }
        GlyphPictureBytes picture;
        if (ComposeGlyphPictures(bits, count, picture)) {
            GlyphPixels pixels;
            if (side_ == kGlyphSide || !DecodeGlyphPicture(GlyphBits{picture.data(), picture.size()}, pixels)) {
                return IconFromBits(picture.data(), picture.size());
            }
            std::vector<BYTE> enlarged = EnlargeGlyphPicture(pixels, side_);
            return enlarged.empty() ? IconFromBits(picture.data(), picture.size())
                                    : IconFromBits(enlarged.data(), enlarged.size(), side_);
        }
    }
    ImageListHolder list{image_list::Create(16, 16, ILC_MASK, static_cast<int>(layers.size()), 0)};
    if (!list.list || layers.size() == 0) {
        return nullptr;
    }
    for (int index : layers) {
        if (!AddGlyph(list.list, *this, index)) {
            return nullptr;
        }
    }
    if (layers.size() == 1) {
        return image_list::GetIcon(list.list, 0, ILD_NORMAL);
    }
    ImageListHolder merged{image_list::Merge(list.list, 0, list.list, 1, 0, 0)};
    for (int over = 2; merged.list && over < static_cast<int>(layers.size()); ++over) {
        ImageListHolder next{image_list::Merge(merged.list, 0, list.list, over, 0, 0)};
        std::swap(merged.list, next.list);
    }
    return merged.list ? image_list::GetIcon(merged.list, 0, ILD_NORMAL) : nullptr;
}

HICON ComposeDigitIcon(const GlyphIcons& glyphs, int index, GlyphIcons::Route route)
{
    if (index < 0 || index >= kDigitIconCount) {
        return nullptr;
    }
    const int base = kBankSize * (index / 100);
    return glyphs.Compose({kGlyphBackground, base + kTensBase + index % 100 / 10, base + kOnesBase + index % 10}, route);
}
