// Owners of the resource kinds only the viewer uses, in the manner of
// foundation/resources/UniqueResource.h.
#pragma once

#include "foundation/resources/UniqueResource.h"

#include <windows.h>

namespace viewer_resources {

using UniqueAcceleratorTable
    = resources::UniqueResource<resources::NullEmptyTraits<HACCEL, &::DestroyAcceleratorTable>>;
using UniqueGlobalMem = resources::UniqueResource<resources::NullEmptyTraits<HGLOBAL, &::GlobalFree>>;
using UniqueMappedView = resources::UniqueResource<resources::NullEmptyTraits<void*, &::UnmapViewOfFile>>;
using UniqueRegKey = resources::UniqueResource<resources::NullEmptyTraits<HKEY, &::RegCloseKey>>;
using UniqueMenu = resources::UniqueResource<resources::NullEmptyTraits<HMENU, &::DestroyMenu>>;

}  // namespace viewer_resources
