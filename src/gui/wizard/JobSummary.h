// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QCoreApplication>
#include <QString>

namespace quillmarch {

class RunContext;
struct UpdateJob;

// The values behind each summary line, read the way the run reads the job: what is sent and
// what changes, never a choice the run will not act on. No password is ever shown, only which
// ones change.
class JobSummary {
    Q_DECLARE_TR_FUNCTIONS(JobSummary)
public:
    explicit JobSummary(const RunContext& app) : m_app(app) {}

    // The image with its version, whether it is checked afterwards, and the data kept.
    QString UpdateDetail(bool verify) const;
    QString LanDetail() const;
    QString SecurityDetail() const;
    QString DisplayDetail() const;
    // The retained data, named as the progress window's retain task names them.
    QString RetainedNames() const;

private:
    const UpdateJob& Job() const;

    const RunContext& m_app;
};

}  // namespace quillmarch
