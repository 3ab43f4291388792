#pragma once
// Types shared by the install objects: install types, distribution kinds, the event signatures
// and the numbers of the component calls and information events.
#include <functional>
#include <string>

#include "framework/properties.h"
#include "framework/set.h"

namespace vantorel {

class TInstallContainer;
class TCustomInstallFile;

VANTOREL_ENUM(TInstallType, itFull, itDefault, itCompact, itAlways, itCustom);
using TInstallTypeSet = TSet<TInstallType>;

VANTOREL_ENUM(TDistributeType, dtTraditional, dtWeb, dtTraditionalNet);

using TInstallContainerNotifyEvent = std::function<void(TInstallContainer* container)>;
using TAfterInstallObjectsEvent =
    std::function<void(TInstallContainer* container, bool was_aborted)>;
using TDataReceivedEvent =
    std::function<void(TObject* sender, const std::string& file_name, int bytes, int total_bytes,
                       int file_size, const char* buffer)>;
using TInstallFileNotifyEvent = std::function<void(TCustomInstallFile* install_file)>;
using TInstallFileStatusEvent = std::function<void(TCustomInstallFile* install_file,
                                                   int file_percent_done, int total_percent_done)>;
using TInstallFileNewDiskEvent =
    std::function<void(TCustomInstallFile* install_file, int new_disk, std::string& path)>;
using TExternalComponentCall =
    std::function<void(TInstallContainer* container, int component_call, TObject* po)>;

// Registered types: where objects stand in a container and who hears component calls.
enum : int {
  kRegFileContainer = 1000,
  kRegInstallFile = 2000,
  kRegProgramFolder = 7000,
  kRegDialog = 9000,
};

// Component calls, broadcast by a container to its objects of registered type 9000.
enum : int {
  ccFileStatus = -998,
  ccReplacing = -997,
  ccPhaseEnd = -996,
  ccGoodInstallNoManager = -995,
  ccBadInstallNoManager = -994,
  ccNewDisk = -993,
  ccBeforeInstallObjects = -992,
  ccBeforeCreateFolder = -991,
  ccProcessStart = -990,
  ccProcessEnd = -989,
  ccDownloadStatus = -988,
  ccReboot = -987,
  ccDialogPhaseStart = -986,
  ccBeforeReadInfo = -984,
  ccAfterReadInfo = -983,
  ccWelcomeNoManager = -982,
  ccDialogPhase981 = -981,
  ccBeforeInstallDialogs = -980,
  ccAfterGoodInstall = -979,
  ccAfterBadInstall = -978,
  ccDialogPhase977 = -977,
  ccDialogPhase976 = -976,
  ccDialogPhase975 = -975,
  ccPushStatus = -974,
  ccPopStatus = -973,
  ccIncluded = -999,
};

// Information events, reported by install files and containers up their container chain.
enum : int {
  ieInstallDone = 1001,
  ieInstallBegin = 1002,
  ieReplacing = 1003,
  ieCompressBegin = 1004,
  ieCompressDone = 1005,
  ieCopyBegin = 1006,
  ieCopyDone = 1007,
  ieExtractProgress = 1008,
  ieCompressProgress = 1009,
  ieCopyProgress = 1010,
  ieNewDisk = 1011,
  iePhaseBegin = 1012,
  iePhaseEnd = 1013,
  ieDataReceived = 1014,
  ieSkipped = 1015,
  ieHandledWithoutCopy = 1016,
};

}  // namespace vantorel
