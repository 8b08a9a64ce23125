#include "common_controls_win.h"

namespace {

using InitCall = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
using CreateCall = HIMAGELIST(WINAPI*)(int, int, UINT, int, int);
using DestroyCall = BOOL(WINAPI*)(HIMAGELIST);
using ReplaceIconCall = int(WINAPI*)(HIMAGELIST, int, HICON);
using MergeCall = HIMAGELIST(WINAPI*)(HIMAGELIST, int, HIMAGELIST, int, int, int);
using GetIconCall = HICON(WINAPI*)(HIMAGELIST, int, UINT);

// Resolved once; the library stays loaded for the rest of the process, as a linked one did.
struct Library {
    bool tried = false;
    bool ready = false;
    CreateCall create = nullptr;
    DestroyCall destroy = nullptr;
    ReplaceIconCall replaceIcon = nullptr;
    MergeCall merge = nullptr;
    GetIconCall getIcon = nullptr;
};

template <typename Call>
Call Resolve(HMODULE module, const char* name)
{
    // Through a plain function pointer type: FARPROC and the calls differ in signature.
    return reinterpret_cast<Call>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

const Library& Loaded()
{
    static Library library;
    if (library.tried) {
        return library;
    }
    library.tried = true;
    HMODULE module = LoadLibraryA("COMCTL32.DLL");
    if (!module) {
        return library;
    }
    const auto init = Resolve<InitCall>(module, "InitCommonControlsEx");
    library.create = Resolve<CreateCall>(module, "ImageList_Create");
    library.destroy = Resolve<DestroyCall>(module, "ImageList_Destroy");
    library.replaceIcon = Resolve<ReplaceIconCall>(module, "ImageList_ReplaceIcon");
    library.merge = Resolve<MergeCall>(module, "ImageList_Merge");
    library.getIcon = Resolve<GetIconCall>(module, "ImageList_GetIcon");
    const INITCOMMONCONTROLSEX classes{sizeof classes,
        ICC_UPDOWN_CLASS | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
    library.ready = init && init(&classes) && library.create && library.destroy && library.replaceIcon &&
                    library.merge && library.getIcon;
    return library;
}

}  // namespace

bool ReadyCommonControls()
{
    return Loaded().ready;
}

namespace image_list {

HIMAGELIST Create(int width, int height, UINT flags, int initial, int grow)
{
    const Library& library = Loaded();
    return library.ready ? library.create(width, height, flags, initial, grow) : nullptr;
}

BOOL Destroy(HIMAGELIST list)
{
    const Library& library = Loaded();
    return library.ready ? library.destroy(list) : FALSE;
}

int ReplaceIcon(HIMAGELIST list, int index, HICON icon)
{
    const Library& library = Loaded();
    return library.ready ? library.replaceIcon(list, index, icon) : -1;
}

HIMAGELIST Merge(HIMAGELIST first, int firstIndex, HIMAGELIST second, int secondIndex, int dx, int dy)
{
    const Library& library = Loaded();
    return library.ready ? library.merge(first, firstIndex, second, secondIndex, dx, dy) : nullptr;
}

HICON GetIcon(HIMAGELIST list, int index, UINT flags)
{
    const Library& library = Loaded();
    return library.ready ? library.getIcon(list, index, flags) : nullptr;
}

}  // namespace image_list
