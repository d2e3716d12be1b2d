// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string_view>

namespace quillmarch {

// Why a run or a check failed, as the engine knows it where the failure happens. The report
// and the exit code take it from here, never from the wording of a log record, which may be
// translated or reworded.
enum class FailureCode {
    kNone,
    kSystemBusy,           // another run holds the system's lock
    kConnectFailed,        // no session with the system
    kLogonRefused,         // the system turned the password down
    kUnreachable,          // nothing answered at the address (a check)
    kUnknownModel,         // the system did not say a model this program knows
    kNoImage,              // no image for the model, or no image pack at all
    kImageDamaged,         // the image does not match its manifest
    kPackRefused,          // the image pack is not trusted
    kFactsUnread,          // the check could not read the system's software version
    kUpdateModeFailed,     // the system did not switch to update mode
    kUploadFailed,         // the system did not take the whole image
    kBackupFailed,         // the files kept across an erase could not all be saved
    kRestoreFailed,        // a kept file did not go back after the erase
    kVerificationFailed,   // the check after the image found the system wrong
    kRetainRecordRefused,  // the system refused the retain record
    kSettingsRefused,      // the system refused a settings file
    kRestartRefused,       // the system refused a restart
    kInCall,               // the system is in a call and the policy leaves it alone
    kCancelled,            // the operator cancelled in the progress window
    kInterrupted,          // a stop request (a signal) ended the run
    kFailed,               // a failure with no more precise code (kept last: tests walk to it)
};

// The stable word of the report's failure code ("connect_failed"); empty for kNone.
std::string_view FailureCodeName(FailureCode code);

}  // namespace quillmarch
