// Names of the configuration keys the launcher reads, and (through
// runtime/message_ids.h, where the error report below the configuration can
// see them) the message ids. The table in key_table.cpp says how each is read
// and what it means; code names ids only through these constants.
#pragma once

#include <cstdint>

#include "runtime/message_ids.h"

namespace zvt::key {

constexpr uint32_t kServiceName = 101;
constexpr uint32_t kErrorLogEnabled = 102;
constexpr uint32_t kErrorLogFile = 103;
constexpr uint32_t kOutputLogEnabled = 104;
constexpr uint32_t kOutputLogFile = 105;
constexpr uint32_t kLauncherFlag106 = 106;
constexpr uint32_t kLauncherKind = 107;
constexpr uint32_t kSplashConfig = 108;
constexpr uint32_t kClassPath = 121;
constexpr uint32_t kMainClass = 122;
constexpr uint32_t kVmOptions = 123;
constexpr uint32_t kApplicationArguments = 124;
constexpr uint32_t kJArgumentsAsVmOptions = 125;
constexpr uint32_t kMinimumJavaVersion = 126;
constexpr uint32_t kMaximumJavaVersion = 127;
constexpr uint32_t kJvmSearchSequence = 128;
constexpr uint32_t kAllowPreRelease = 130;
constexpr uint32_t kJdkRequired = 131;
constexpr uint32_t kModulePath = 132;
constexpr uint32_t kModuleMode = 133;
constexpr uint32_t kWorkingDirectory = 146;
constexpr uint32_t kServiceDependencies = 149;
constexpr uint32_t kPreferredVmType = 152;
constexpr uint32_t kRegisterDllDirectories = 154;
constexpr uint32_t kGlobalInstanceObject = 158;
constexpr uint32_t kApplicationId = 160;
constexpr uint32_t kSplashFlag2 = 163;
constexpr uint32_t kRuntimeStoreOnly = 165;
constexpr uint32_t kReadVmOptionsFile = 166;
constexpr uint32_t kSharingKey = 167;
constexpr uint32_t kApplicationLocatedRuntimes = 168;
constexpr uint32_t kRuntimeFlavour = 2001;
constexpr uint32_t kIncludedFileCount = 2002;
constexpr uint32_t kIncludedFileNames = 2003;
constexpr uint32_t kInstallationDirectory = 10003;
constexpr uint32_t kNativeLibraryDirectories = 10004;
constexpr uint32_t kSingleInstance = 10005;
constexpr uint32_t kBringToFront = 10008;
constexpr uint32_t kPreferLongTempPath = 10009;
constexpr uint32_t kReducePath = 10010;
constexpr uint32_t kIgnoreJavaOptionsVariables = 10012;
// The splash lines handed to initAwtSplashConfig: a text and two values,
// then a colour ("r,g,b") and two values, for each of two lines.
constexpr uint32_t kSplashLine1TextValue1 = 10109;
constexpr uint32_t kSplashLine1TextValue2 = 10110;
constexpr uint32_t kSplashLine1Text = 10111;
constexpr uint32_t kSplashLine1ColourValue1 = 10113;
constexpr uint32_t kSplashLine1Colour = 10114;
constexpr uint32_t kSplashLine1ColourValue2 = 10115;
constexpr uint32_t kSplashLine2TextValue1 = 10116;
constexpr uint32_t kSplashLine2TextValue2 = 10117;
constexpr uint32_t kSplashLine2Text = 10118;
constexpr uint32_t kSplashLine2ColourValue1 = 10120;
constexpr uint32_t kSplashLine2Colour = 10121;
constexpr uint32_t kSplashLine2ColourValue2 = 10122;
constexpr uint32_t kVersionOptionLineCount = 10200;
constexpr uint32_t kVersionOptionLinesFirst = 10201;  // condition 10201 + 2i, options 10202 + 2i
// The service host under faults.
constexpr uint32_t kStopTimeout = 30001;
constexpr uint32_t kRestartLimit = 30002;
constexpr uint32_t kRestartDelay = 30003;
constexpr uint32_t kRestartWindow = 30004;
constexpr uint32_t kRestartDelayGrows = 30005;
// What /install registers beyond the Parts (service/install_options.h).
constexpr uint32_t kServiceAccount = 30101;
constexpr uint32_t kServiceDisplayName = 30102;
constexpr uint32_t kServiceDelayedStart = 30103;
constexpr uint32_t kRecoveryFirstFailure = 30104;
constexpr uint32_t kRecoveryFirstFailureDelay = 30105;
constexpr uint32_t kRecoverySecondFailure = 30106;
constexpr uint32_t kRecoverySecondFailureDelay = 30107;
constexpr uint32_t kRecoveryLaterFailures = 30108;
constexpr uint32_t kRecoveryLaterFailuresDelay = 30109;
constexpr uint32_t kRecoveryResetAfter = 30110;
constexpr uint32_t kRecoveryCountErrorExits = 30111;
// The launcher's width: the packer's choice of template (not read by the launcher).
constexpr uint32_t kLauncherArchitecture = 30201;
// The runtime classes packed into the launcher (written by the packer), and
// the rotation of the log files the runtime classes write.
constexpr uint32_t kRuntimeIncluded = 30301;
constexpr uint32_t kLogRotateSizeKib = 30302;
constexpr uint32_t kLogRotateKeep = 30303;
// The application's environment and the launcher's own log switch.
constexpr uint32_t kEnvironment = 30321;
constexpr uint32_t kDiagnosticLog = 30322;

}  // namespace zvt::key
