// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "core/run/FailureCode.h"

namespace quillmarch {

std::string_view FailureCodeName(FailureCode code) {
    switch (code) {
        case FailureCode::kNone:
            break;
        case FailureCode::kSystemBusy:
            return "system_busy";
        case FailureCode::kConnectFailed:
            return "connect_failed";
        case FailureCode::kLogonRefused:
            return "logon_refused";
        case FailureCode::kUnreachable:
            return "unreachable";
        case FailureCode::kUnknownModel:
            return "unknown_model";
        case FailureCode::kNoImage:
            return "no_image";
        case FailureCode::kImageDamaged:
            return "image_damaged";
        case FailureCode::kPackRefused:
            return "pack_refused";
        case FailureCode::kFactsUnread:
            return "facts_unread";
        case FailureCode::kUpdateModeFailed:
            return "update_mode_failed";
        case FailureCode::kUploadFailed:
            return "upload_failed";
        case FailureCode::kBackupFailed:
            return "backup_failed";
        case FailureCode::kRestoreFailed:
            return "restore_failed";
        case FailureCode::kVerificationFailed:
            return "verification_failed";
        case FailureCode::kRetainRecordRefused:
            return "retain_record_refused";
        case FailureCode::kSettingsRefused:
            return "settings_refused";
        case FailureCode::kRestartRefused:
            return "restart_refused";
        case FailureCode::kInCall:
            return "in_call";
        case FailureCode::kCancelled:
            return "cancelled";
        case FailureCode::kInterrupted:
            return "interrupted";
        case FailureCode::kFailed:
            return "failed";
    }
    return {};
}

}  // namespace quillmarch
