// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "gui/wizard/JobSummary.h"

#include <QStringList>

#include "core/job/RunContext.h"
#include "core/run/SystemFactsReader.h"
#include "core/util/TextUtil.h"

namespace quillmarch {

const UpdateJob& JobSummary::Job() const {
    return m_app.Job();
}

QString JobSummary::RetainedNames() const {
    QStringList names;
    const auto add = [&](bool kept, int id, const char* fallback) {
        if (kept) names << QString::fromStdString(text::Trim(m_app.LoadUiString(id, fallback)));
    };
    add(Job().retain.directory, 175, " Address Book files");
    add(Job().retain.systemSettings, 174, " System files");
    add(Job().retain.sampleSites, 243, " Tessary Sample Sites");
    add(Job().retain.callDetail, 245, " Call detail report");
    return names.join(QStringLiteral(", "));
}

QString JobSummary::UpdateDetail(bool verify) const {
    const QString kept = RetainedNames();
    const QString keeps = kept.isEmpty() ? tr("Keeps no data.") : tr("Keeps: %1.").arg(kept);
    if (!Job().tasks.uploadImage) return tr("No image is sent.") + QLatin1Char(' ') + keeps;
    const std::string image =
        SystemFactsReader::ImageName(Job(), m_app.Catalogue(), m_app.m_imageCatalogue);
    const std::string version = SystemFactsReader::InstalledVersion(m_app);
    QString text = tr("Sends the image %1, version %2.")
                       .arg(image.empty() ? tr("(none found)") : QString::fromStdString(image),
                            version.empty() ? tr("not known") : QString::fromStdString(version));
    text += QLatin1Char(' ') + keeps + QLatin1Char(' ');
    text += verify ? tr("Then checks that the system runs it.")
                   : tr("The system is not checked afterwards.");
    return text;
}

QString JobSummary::LanDetail() const {
    const UpdateJob::Lan& lan = Job().lan;
    if (lan.dhcpWanted) {
        return lan.dhcpCurrent ? tr("DHCP, as the system has now: nothing is sent.")
                               : tr("Address from a DHCP server.");
    }
    const auto shown = [](const std::string& value) {
        return value.empty() ? tr("none") : QString::fromStdString(value);
    };
    return tr("Fixed address %1, subnet mask %2, default gateway %3.")
        .arg(shown(lan.ipAddress), shown(lan.subnetMask), shown(lan.defaultGateway));
}

QString JobSummary::SecurityDetail() const {
    const UpdateJob::Security& security = Job().security;
    if (!security.secureModeWanted) return tr("Security mode off. No password changes.");
    const QString passwords =
        security.useRoomForRemote
            ? tr("The room password changes to the one you typed, and remote access uses it too.")
            : tr("The room password and the remote password change to the ones you typed.");
    return tr("Security mode on. %1 They travel to the system in a settings file, which "
              "Quillmarch removes once the system has applied it.")
        .arg(passwords);
}

QString JobSummary::DisplayDetail() const {
    const UpdateJob::Display& display = Job().display;
    const QString output = display.videoOutput == 0   ? tr("composite")
                           : display.videoOutput == 1 ? tr("S-Video")
                                                      : tr("VGA");
    return tr("Monitor %1, camera %2, VGA %3, output %4.")
        .arg(display.aspect16x9 ? QStringLiteral("16:9") : QStringLiteral("4:3"),
             display.palWanted ? QStringLiteral("PAL") : QStringLiteral("NTSC"),
             display.resolution1024 ? QStringLiteral("1024x768") : QStringLiteral("800x600"),
             output);
}

}  // namespace quillmarch
