// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "gui/progress/GuiPlatformProbe.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QStringList>
#include <cstdlib>

#if defined(__unix__) && !defined(__APPLE__)
#include <dlfcn.h>
#endif

namespace quillmarch {

namespace {

// Platforms Qt tries, in order: QT_QPA_PLATFORM may name several, separated by ";".
QStringList PlatformsToTry() {
    const QString chosen = qEnvironmentVariable("QT_QPA_PLATFORM");
    QStringList names;
    for (const QString& entry : chosen.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        names << entry.section(QLatin1Char(':'), 0, 0).trimmed();  // "xcb:opts" -> "xcb"
    }
    if (!names.isEmpty()) return names;
    if (qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland") &&
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        names << QStringLiteral("wayland");
    names << QStringLiteral("xcb");
    return names;
}

QStringList PluginFolders() {
    QStringList folders;
    const QString platformPath = qEnvironmentVariable("QT_QPA_PLATFORM_PLUGIN_PATH");
    if (!platformPath.isEmpty()) folders << platformPath;
    QStringList roots = QCoreApplication::libraryPaths();
    roots << QLibraryInfo::path(QLibraryInfo::PluginsPath);
    for (const QString& root : roots) folders << QDir(root).filePath(QStringLiteral("platforms"));
    return folders;
}

}  // namespace

std::string GuiPlatformProbe::ChoosePlatform(std::string* reason) {
#if defined(__unix__) && !defined(__APPLE__)
    std::string why = "no Qt platform to show windows on";
    for (const QString& platform : PlatformsToTry()) {
        if (PlatformUsable(platform.toStdString(), &why)) return platform.toStdString();
    }
    if (reason) *reason = why;
    return {};
#else
    (void)reason;
    return "native";  // the desktop platforms' plugins are part of the build and always start
#endif
}

bool GuiPlatformProbe::PrepareStart(std::string* reason) {
    const std::string platform = ChoosePlatform(reason);
    if (platform.empty()) return false;
#if defined(__unix__) && !defined(__APPLE__)
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(platform));
#endif
    return true;
}

bool GuiPlatformProbe::PlatformUsable(const std::string& platform, std::string* reason) {
    if (!PluginInstalled(platform)) {
        *reason = "the Qt platform plugin \"" + platform + "\" is not installed";
        return false;
    }
    if (platform == "xcb" && !X11DisplayOpens()) {
        const char* display = std::getenv("DISPLAY");
        *reason = std::string("cannot open the X display \"") + (display ? display : "") + "\"";
        return false;
    }
    return true;
}

bool GuiPlatformProbe::PluginInstalled(const std::string& platform) {
    const QString file = QStringLiteral("libq%1.so").arg(QString::fromStdString(platform));
    for (const QString& folder : PluginFolders()) {
        if (QFileInfo::exists(QDir(folder).filePath(file))) return true;
    }
    return false;
}

// Opens the display the way Qt's X11 plugin does (through libxcb, loaded at run time so the
// program does not link it) and closes it again.
bool GuiPlatformProbe::X11DisplayOpens() {
#if defined(__unix__) && !defined(__APPLE__)
    void* library = dlopen("libxcb.so.1", RTLD_LAZY | RTLD_LOCAL);
    if (!library) return false;
    using Connect = void* (*)(const char*, int*);
    using HasError = int (*)(void*);
    using Disconnect = void (*)(void*);
    auto connect = reinterpret_cast<Connect>(dlsym(library, "xcb_connect"));
    auto hasError = reinterpret_cast<HasError>(dlsym(library, "xcb_connection_has_error"));
    auto disconnect = reinterpret_cast<Disconnect>(dlsym(library, "xcb_disconnect"));
    bool opens = false;
    if (connect && hasError && disconnect) {
        void* connection = connect(nullptr, nullptr);  // $DISPLAY
        opens = connection && hasError(connection) == 0;
        if (connection) disconnect(connection);
    }
    dlclose(library);
    return opens;
#else
    return true;
#endif
}

}  // namespace quillmarch
