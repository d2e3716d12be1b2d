// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The wizard without a mouse and for a screen reader: on every page of a Custom walk, Help is
// there, the focus starts on the page's first control, every control that takes the focus has an
// accessible name (what a screen reader says), and every option and field can be reached with
// an Alt shortcut of its own.

#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QtTest/QtTest>

#include "gui/support/EveryPageWalk.h"

using namespace quillmarch;
using namespace quillmarch::test;

namespace {

bool TakesFocus(const QWidget* widget) {
    return (widget->focusPolicy() & Qt::TabFocus) && widget->isVisible() && widget->isEnabled() &&
           widget->focusProxy() == nullptr;
}

QString AccessibleName(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(QAccessible::Name).trimmed() : QString();
}

// An option's own mnemonic, or that of the label that names a field. Lists and scroll areas
// are reached with Tab.
bool HasShortcut(const QWidget* widget, const QWidget* page) {
    if (!qobject_cast<const QAbstractButton*>(widget) && !qobject_cast<const QLineEdit*>(widget) &&
        !qobject_cast<const QComboBox*>(widget))
        return true;
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        return QKeySequence::mnemonic(button->text()) != QKeySequence();
    for (const QLabel* label : page->findChildren<QLabel*>()) {
        const QWidget* buddy = label->buddy();
        if (buddy && (buddy == widget || buddy->isAncestorOf(widget)) &&
            QKeySequence::mnemonic(label->text()) != QKeySequence())
            return true;
    }
    return false;
}

// Names of the page's focusable controls that fail `ok`, for the failure message.
template <typename Check>
QStringList Failing(QWidget* root, Check ok) {
    QStringList failing;
    for (QWidget* widget : root->findChildren<QWidget*>()) {
        if (TakesFocus(widget) && !ok(widget)) failing << widget->objectName();
    }
    return failing;
}

}  // namespace

class TestKeyboardAccess : public QObject {
    Q_OBJECT

private slots:
    void everyPageIsReachableByKeyboardAndNamed() {
        SSimOptions options;
        options.model = 11;
        SimulatorProcess sim(options);
        QVERIFY2(sim.Started(), sim.StartError().c_str());
        SWizardApp f;
        auto sheet = StartSheet(f);
        sheet->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(sheet.get()));
        QStringList unnamed;
        QStringList unfocused;
        QStringList noShortcut;
        QStringList altTyped;
        QStringList noHelp;
        const auto visit = [&](QWidget* page, bool afterAction) {
            const QString name = page->objectName();
            QApplication::processEvents();
            QWidget* focus = QApplication::focusWidget();
            if (!afterAction && !Failing(page, [](QWidget*) { return false; }).isEmpty() &&
                !(focus && page->isAncestorOf(focus)))
                unfocused << name;
            if (!sheet->Button(QWizard::HelpButton)->isVisible()) noHelp << name;
            // Alt+letter is a shortcut, never text (Alt+U, R, P used to type "urp" into the
            // address); letters that no page uses, so that nothing else happens.
            if (afterAction) {
                for (QLineEdit* edit : page->findChildren<QLineEdit*>()) {
                    if (!edit->isVisible() || !edit->isEnabled()) continue;
                    const QString before = edit->text();
                    edit->setFocus();
                    for (char letter : {'q', 'z', 'j', 'k'})
                        QTest::keyClick(edit, letter, Qt::AltModifier);
                    if (edit->text() != before) altTyped << name + "/" + edit->objectName();
                }
            }
            for (const QString& control :
                 Failing(sheet.get(), [](QWidget* w) { return !AccessibleName(w).isEmpty(); }))
                unnamed << name + "/" + control;
            for (const QString& control :
                 Failing(page, [page](QWidget* w) { return HasShortcut(w, page); }))
                noShortcut << name + "/" + control;
        };
        const QStringList pages = WalkToSummary(*sheet, EveryPageWalk(sim), visit);
        QVERIFY2(altTyped.isEmpty(), qPrintable(altTyped.join(' ')));
        QVERIFY2(noHelp.isEmpty(), qPrintable(noHelp.join(' ')));
        QVERIFY2(pages.size() == 11, qPrintable(pages.join(" ")));
        unnamed.removeDuplicates();
        noShortcut.removeDuplicates();
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(' ')));
        QVERIFY2(unfocused.isEmpty(), qPrintable(unfocused.join(' ')));
        QVERIFY2(noShortcut.isEmpty(), qPrintable(noShortcut.join(' ')));
    }
};

QTEST_MAIN(TestKeyboardAccess)
#include "test_keyboard_access.moc"
