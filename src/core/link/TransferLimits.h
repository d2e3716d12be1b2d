// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <cstdint>

// Every bound on what a system can make a run do, in one place: how long one exchange may take
// and how much it may send. A broken or hostile system meets these, whatever it sends.
namespace quillmarch {

// Time bounds of the FTP component, in seconds; each can be changed through Config by name.
namespace ftpbound {
inline constexpr int kReplySeconds = 120;  // "ReplyTimeout": wait for one server reply
// "StallTimeout": a transfer below 1 byte/s this long ends. libcurl averages the speed over
// about five seconds, so a transfer that stops dead ends up to five seconds later than this.
inline constexpr int kStallSeconds = 120;
inline constexpr int kConnectSeconds = 30;  // "ConnectTimeout": TCP connect and TLS handshake
// "TransferTimeout": the longest one operation (transfer, listing, command) may take in all,
// however steadily the data trickles. Two hours carry a 25 MB image over a 64 kbit/s line.
inline constexpr int kTransferSeconds = 7200;
// The backup before a flash erase holds the system in update mode: each file may take this
// long, and the whole backup this long (a real one takes seconds), so a file dripped a few
// bytes a second ends the backup before the erase instead of holding the system for hours.
inline constexpr int kBackupFileSeconds = 300;
inline constexpr int kBackupSeconds = 1800;
// The overall bound of a file read into memory: such a file is a few KB, so a system that
// drips it a byte at a time is cut off after a minute rather than hours.
inline constexpr int kMemoryFileSeconds = 60;
}  // namespace ftpbound

// Size bounds of what the link takes from a system.
namespace filelimit {
// One-value files read into memory (model.dat, gateway.dat, the .dat settings, the web
// server's files): one short line each.
inline constexpr std::size_t kValueFileBytes = std::size_t{4} * 1024;
// Any other text read into memory (the system-information files the wizard shows).
inline constexpr std::size_t kTextFileBytes = std::size_t{64} * 1024;
// The backup before a flash erase. A real system holds about a hundred such files (choice
// files, address books, logos, call records) of a few MB in all; these leave ample room and
// still stop a system that lists without end before the local disk fills.
inline constexpr std::size_t kBackupFiles = 2000;
inline constexpr std::int64_t kBackupBytes = 256LL * 1024 * 1024;
}  // namespace filelimit

}  // namespace quillmarch
