#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Quillmarch developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what building, testing and the demo need on Debian 12 (run as root).
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends \
    build-essential cmake ninja-build pkg-config ca-certificates \
    libcurl4-openssl-dev libgtest-dev libgmock-dev nlohmann-json3-dev libsodium-dev minisign \
    python3 python3-pyftpdlib python3-openssl python3-jsonschema curl clang-format clang-tidy \
    ansible-core python3-voluptuous reuse lintian mandoc bash-completion \
    qt6-base-dev xvfb xauth dpkg-dev >/dev/null
