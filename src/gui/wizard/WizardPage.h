// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QWizardPage>

class QVBoxLayout;

namespace quillmarch {

class RunContext;
class WizardSheet;
class BitmapPanel;

// One wizard page. The sheet calls the hooks: initialisation each time the walk comes to the
// page forward (the wizard's initializePage), activation whenever it becomes current, Next and
// Finish when those buttons are pressed on it (the wizard's validatePage), Back as the page is
// left backward (the wizard's cleanupPage) and Cancel.
class WizardPage : public QWizardPage {
    Q_OBJECT
public:
    // Answers of the Next hook.
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

    virtual void PageCreated() {}
    virtual void PageShown() {}
    // kAdvance: the sheet shows the page the walk rules name next; kStay: it stays (a page
    // that finishes its work later calls ShowNextPage itself).
    virtual int ValidateNext() { return kAdvance; }
    // The page is being left with Back: keep what the operator chose, close what it opened.
    // The wizard goes back whatever the page does.
    virtual void BackClicked() {}
    // True: the wizard ends with Finish now.
    virtual bool ValidateFinish() { return true; }
    virtual void CancelClicked() {}

    // The wizard's hooks, mapped onto the ones above.
    void initializePage() override { PageCreated(); }
    void cleanupPage() override { BackClicked(); }
    bool validatePage() override;
    // Next (or Finish) is offered while the page allows it (EnableNext).
    bool isComplete() const override { return m_nextAllowed; }

    // `text` with an Alt shortcut on the first `letter` (either case), or on its first
    // character when it has none; a text with a shortcut already is kept.
    static QString Mnemonic(const QString& text, QChar letter);

protected:
    QString UiString(int id, const char* fallback) const;
    // The wizard's header above the page: what the page is for, and a line on what it asks.
    void SetHeader(const QString& title, const QString& subtitle);
    // The sheet the page sits in; null before it is put into one.
    WizardSheet* Sheet() const;
    // Offers or withholds Next (and Finish); a page that withholds it says why on the page.
    void EnableNext(bool enable);
    void LoadSideBitmap();
    // The in-call question (logged first): true when the operator agrees to break the call.
    bool AskToBreakCall();
    // Where the page puts its own controls (right of the side panel).
    QVBoxLayout* Content() const { return m_content; }
    BitmapPanel* SidePanel() const { return m_sidePanel; }

    RunContext& m_app;

private:
    int m_templateId;
    int m_sideBitmapId;
    bool m_nextAllowed = true;
    BitmapPanel* m_sidePanel = nullptr;
    QVBoxLayout* m_content = nullptr;
};

}  // namespace quillmarch
