#pragma once

#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/file_system.h"
#include "platform/file_types.h"
#include "platform/module_converter.h"
#include "platform/picture_loader.h"
#include "platform/random.h"
#include "platform/sound_player.h"

namespace vexlor::app {

/// The platform services the window's routines are handed.
struct Services {
    platform::Clock& clock;
    platform::Random& random;
    platform::FileDialog& fileDialog;
    platform::MessageBox& messageBox;
    platform::Windows& windows;
    platform::FileTypes& fileTypes;
    platform::FileSystem& fileSystem;
    platform::SoundPlayer& soundPlayer;
    platform::PictureLoader& pictureLoader;
    platform::ModuleConverter& moduleConverter;
};

}  // namespace vexlor::app
