// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QWidget>

class QVBoxLayout;

namespace quillmarch {

class RunContext;
class WizardSheet;
class BitmapPanel;

// One wizard page. The sheet calls the hooks: initialisation when the page's window is
// created (each time the page is appended anew), activation whenever it becomes current, and
// Next, Back, Finish and Cancel when those buttons are pressed on it.
class WizardPage : public QWidget {
    Q_OBJECT
public:
    // Answers of the Next and Back hooks.
    static constexpr int kAdvance = 0;
    static constexpr int kStay = -1;
    // Page area of the sheet, and the side panel's bitmap size.
    static constexpr int kPageWidth = 520;
    static constexpr int kPageHeight = 290;
    static constexpr int kPanelWidth = 171;
    static constexpr int kPanelHeight = 267;

    // sideBitmapId <= 0: the page has no side panel.
    WizardPage(RunContext& app, int templateId, int sideBitmapId, QWidget* parent = nullptr);

    int TemplateId() const { return m_templateId; }
    // The sheet's header above the page: what the page is for, and a line on what it asks.
    const QString& Title() const { return m_title; }
    const QString& Subtitle() const { return m_subtitle; }
    bool IsCreated() const { return m_created; }

    virtual void PageCreated() {}
    virtual void PageShown() {}
    // kAdvance: the sheet shows the next page of its list; kStay: it stays (a page that
    // finishes its work later calls ShowNextPage itself).
    virtual int ValidateNext() { return kAdvance; }
    virtual int ValidateBack() { return kAdvance; }
    // True: the wizard ends with Finish now.
    virtual bool ValidateFinish() { return true; }
    virtual void CancelClicked() {}

    // `text` with an Alt shortcut on the first `letter` (either case), or on its first
    // character when it has none; a text with a shortcut already is kept.
    static QString Mnemonic(const QString& text, QChar letter);

protected:
    QString UiString(int id, const char* fallback) const;
    void SetHeader(const QString& title, const QString& subtitle);
    // The sheet the page sits in, taken from its parent window.
    void RememberSheet();
    WizardSheet* Sheet() const { return m_sheet; }
    // Drops every page after this one from the sheet's list.
    void TruncateAfterThis();
    // Appends the page the walk rules name after `thisPage`.
    void AddNextPage(int thisPage);
    void EnableNext(bool enable);
    void LoadSideBitmap();
    // The in-call question (logged first): true when the operator agrees to break the call.
    bool AskToBreakCall();
    // Where the page puts its own controls (right of the side panel).
    QVBoxLayout* Content() const { return m_content; }
    BitmapPanel* SidePanel() const { return m_sidePanel; }

    RunContext& m_app;

private:
    friend class WizardSheet;
    void SetCreated(bool created) { m_created = created; }

    int m_templateId;
    int m_sideBitmapId;
    QString m_title;
    QString m_subtitle;
    bool m_created = false;
    WizardSheet* m_sheet = nullptr;
    BitmapPanel* m_sidePanel = nullptr;
    QVBoxLayout* m_content = nullptr;
};

}  // namespace quillmarch
