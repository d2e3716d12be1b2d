#pragma once

#include <QString>
#include <QWidget>

class QVBoxLayout;

namespace quillmarch {

class CQuillmarch6App;
class CQuillmarchSheet;
class CStaticBmpEx;

// One wizard page. The sheet calls the hooks: initialisation when the page's window is
// created (each time the page is appended anew), activation whenever it becomes current, and
// Next, Back, Finish and Cancel when those buttons are pressed on it.
class CWizardPage : public QWidget {
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
    CWizardPage(CQuillmarch6App& app, int templateId, int sideBitmapId, QWidget* parent = nullptr);

    int TemplateId() const { return m_nTemplateId; }
    bool IsCreated() const { return m_bCreated; }

    virtual void OnInitDialog() {}
    virtual void OnSetActive() {}
    // kAdvance: the sheet shows the next page of its list; kStay: it stays (a page that
    // finishes its work later calls ShowNextPage itself).
    virtual int OnWizardNext() { return kAdvance; }
    virtual int OnWizardBack() { return kAdvance; }
    // True: the wizard ends with Finish now.
    virtual bool OnWizardFinish() { return true; }
    virtual void OnCancel() {}

protected:
    QString UiString(int id, const char* fallback) const;
    // The sheet the page sits in, taken from its parent window.
    void RememberSheet();
    CQuillmarchSheet* Sheet() const { return m_pSheet; }
    // Drops every page after this one from the sheet's list.
    void TruncateAfterThis();
    // Appends the page the walk rules name after `thisPage`.
    void AddNextPage(int thisPage);
    void EnableNext(bool enable);
    void LoadSideBitmap();
    // The in-call question (logged first): true when the operator agrees to break the call.
    bool AskToBreakCall();
    // Where the page puts its own controls (right of the side panel).
    QVBoxLayout* Content() const { return m_pContent; }
    CStaticBmpEx* SidePanel() const { return m_pSidePanel; }

    CQuillmarch6App& m_app;

private:
    friend class CQuillmarchSheet;
    void SetCreated(bool created) { m_bCreated = created; }

    int m_nTemplateId;
    int m_nSideBitmapId;
    bool m_bCreated = false;
    CQuillmarchSheet* m_pSheet = nullptr;
    CStaticBmpEx* m_pSidePanel = nullptr;
    QVBoxLayout* m_pContent = nullptr;
};

}  // namespace quillmarch
