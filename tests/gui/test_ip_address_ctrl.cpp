// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <QClipboard>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>
#include <memory>

#include "gui/widgets/AddressControl.h"
#include "gui/widgets/AddressFieldEdit.h"
#include "support/ModalAnswer.h"

using namespace quillmarch;
using namespace quillmarch::test;

Q_DECLARE_METATYPE(AddressControl::Bytes)

namespace {

// A dialog with a line edit, a page holding the control, another line edit and a default
// button, in that tab order: the control sits on a page inside a dialog, as in the wizard.
struct SHost {
    explicit SHost(bool noRangeCheck = false) {
        auto* layout = new QVBoxLayout(&dialog);
        before = new QLineEdit(&dialog);
        page = new QWidget(&dialog);
        ctrl = new AddressControl(page, noRangeCheck);
        (new QVBoxLayout(page))->addWidget(ctrl);
        after = new QLineEdit(&dialog);
        ok = new QPushButton(QStringLiteral("OK"), &dialog);
        ok->setDefault(true);
        for (QWidget* widget : std::initializer_list<QWidget*>{before, page, after, ok})
            layout->addWidget(widget);
        dialog.show();
        QApplication::setActiveWindow(&dialog);
    }
    QLineEdit* Field(int n) const { return ctrl->Field(n); }
    // The dialog's focus widget: the one that has the focus while the dialog is the active
    // window, and gets it back when a message box over it closes.
    QWidget* Focus() const { return dialog.focusWidget(); }
    // Types into the focus widget, key by key, as an operator would.
    void Type(const QString& keys) const {
        for (QChar key : keys) QTest::keyClick(Focus(), key.toLatin1());
    }

    QDialog dialog;
    QLineEdit* before;
    QWidget* page;
    AddressControl* ctrl;
    QLineEdit* after;
    QPushButton* ok;
};

struct SBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int count = 0;
};

// Records and dismisses the next message box.
std::shared_ptr<SBox> ExpectBox() {
    auto box = std::make_shared<SBox>();
    AnswerNextModal([box](QWidget* modal) {
        auto* message = qobject_cast<QMessageBox*>(modal);
        if (!message) return modal->close(), void();
        box->title = message->windowTitle();
        box->text = message->text();
        box->icon = message->icon();
        ++box->count;
        message->button(QMessageBox::Ok)->click();
    });
    return box;
}

}  // namespace

class TestIPAddressCtrl : public QObject {
    Q_OBJECT

private slots:
    void dottedTextIsParsedField_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<AddressControl::Bytes>("bytes");
        using B = AddressControl::Bytes;
        QTest::newRow("three parts") << "10.1.2" << B{0, 0, 0, 0};
        QTest::newRow("low 8 bits") << "300.1.1.1" << B{44, 1, 1, 1};
        QTest::newRow("fifth part ignored") << "1.2.3.4.5" << B{1, 2, 3, 4};
        QTest::newRow("empty") << "" << B{0, 0, 0, 0};
        QTest::newRow("empty last part") << "1.2.3." << B{0, 0, 0, 0};
        QTest::newRow("plain") << "192.168.0.254" << B{192, 168, 0, 254};
        QTest::newRow("empty middle parts") << "7...9" << B{7, 0, 0, 9};
        QTest::newRow("leading numbers only") << " 7x.a.3 .9z" << B{7, 0, 3, 9};
        QTest::newRow("negative") << "-1.256.512.1" << B{255, 0, 0, 1};
    }

    void dottedTextIsParsedField() {
        QFETCH(QString, text);
        QFETCH(AddressControl::Bytes, bytes);
        QCOMPARE(AddressControl::ParseDotted(text.toStdString()), bytes);
        SHost host;
        host.ctrl->SetDottedText(text.toStdString());
        QCOMPARE(host.Field(1)->text(), QString::number(bytes[0]));
        QCOMPARE(host.Field(4)->text(), QString::number(bytes[3]));
        QCOMPARE(
            host.ctrl->DottedText(),
            QStringLiteral("%1.%2.%3.%4").arg(bytes[0]).arg(bytes[1]).arg(bytes[2]).arg(bytes[3]));
    }

    void fullFieldMovesOnWithTheNextFieldSelected() {
        SHost host;
        host.ctrl->SetDottedText("1.55.3.4");
        host.Field(1)->clear();
        host.ctrl->setFocus();
        QCOMPARE(host.Focus(), host.Field(1));
        host.Type("192");
        QCOMPARE(host.Field(1)->text(), QStringLiteral("192"));
        QCOMPARE(host.Focus(), host.Field(2));
        QCOMPARE(host.Field(2)->selectedText(), QStringLiteral("55"));
        host.Type("10.");  // typing replaces the selection; "." moves on
        QCOMPARE(host.Field(2)->text(), QStringLiteral("10"));
        QCOMPARE(host.Focus(), host.Field(3));
    }

    void fullFieldOutOfRangeIsReportedAndKept() {
        SHost host;
        host.ctrl->setFocus();
        const auto box = ExpectBox();
        host.Type("300");
        QCOMPARE(box->count, 1);
        QCOMPARE(box->title, QStringLiteral("Error"));
        QCOMPARE(box->text, QStringLiteral("300 is not a valid entry.  Please specify a value "
                                           "between 0 and 255 for this field."));
        QCOMPARE(box->icon, QMessageBox::Warning);
        QCOMPARE(host.Focus(), host.Field(1));
        QCOMPARE(host.Field(1)->selectedText(), QStringLiteral("300"));
    }

    void withoutRangeCheckAFullFieldMovesOnButGetStillReports() {
        SHost host(true);
        host.ctrl->SetDottedText("0.1.2.3");
        host.ctrl->setFocus();
        host.Type("300");
        QCOMPARE(host.Focus(), host.Field(2));
        host.Field(2)->setFocus();

        AddressControl::SAddress address;
        QVERIFY(!host.ctrl->GetAddress(address, false));
        QCOMPARE(address.nBadField, 1);
        QCOMPARE(host.Focus(), host.Field(1));
        const auto box = ExpectBox();
        QVERIFY(!host.ctrl->GetAddress(address, true));
        QCOMPARE(box->count, 1);
        QVERIFY(box->text.startsWith(QStringLiteral("300 is not a valid entry.")));
    }

    void dotAndSpaceMoveOnExceptInTheLastField_data() {
        QTest::addColumn<QString>("key");
        QTest::newRow("dot") << ".";
        QTest::newRow("space") << " ";
    }

    void dotAndSpaceMoveOnExceptInTheLastField() {
        QFETCH(QString, key);
        SHost host;
        host.ctrl->SetDottedText("0.42.0.0");
        host.Field(1)->setFocus();
        host.Field(1)->clear();
        host.Type("1" + key);
        QCOMPARE(host.Field(1)->text(), QStringLiteral("1"));
        QCOMPARE(host.Focus(), host.Field(2));
        QCOMPARE(host.Field(2)->selectedText(), QStringLiteral("42"));
        host.Field(4)->setFocus();
        host.Field(4)->setText(QStringLiteral("7"));
        host.Type(key);
        QCOMPARE(host.Focus(), host.Field(4));
        QCOMPARE(host.Field(4)->text(), QStringLiteral("7"));
    }

    void lettersAreRefusedAndPastingIsAllowed() {
        SHost host;
        host.Field(1)->setFocus();
        host.Type("1a-");
        QCOMPARE(host.Field(1)->text(), QStringLiteral("1"));
        QGuiApplication::clipboard()->setText(QStringLiteral("ab"));
        QTest::keyClick(host.Field(1), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(host.Field(1)->text(), QStringLiteral("1ab"));
        // Three characters after a clipboard key: the full-field rule moves on ("1ab" reads 1).
        QCOMPARE(host.Focus(), host.Field(2));
    }

    void arrowKeysCrossFieldEnds() {
        SHost host;
        host.ctrl->SetDottedText("11.22.33.44");
        host.Field(2)->setFocus();
        host.Field(2)->setCursorPosition(0);
        QTest::keyClick(host.Field(2), Qt::Key_Left);
        QCOMPARE(host.Focus(), host.Field(1));
        QVERIFY(!host.Field(1)->hasSelectedText());

        host.Field(2)->setFocus();
        host.Field(2)->setCursorPosition(1);
        QTest::keyClick(host.Field(2), Qt::Key_Right);  // inside the text: stays
        QCOMPARE(host.Focus(), host.Field(2));
        QTest::keyClick(host.Field(2), Qt::Key_Right);
        QCOMPARE(host.Focus(), host.Field(3));
        QVERIFY(!host.Field(3)->hasSelectedText());
        host.Field(4)->setFocus();
        host.Field(4)->setCursorPosition(2);
        QTest::keyClick(host.Field(4), Qt::Key_Right);  // no field after the last one
        QCOMPARE(host.Focus(), host.Field(4));
    }

    // Tab and Shift+Tab leave the control from any field, as from any other control.
    void tabLeavesTheControl() {
        SHost host;
        host.ctrl->SetDottedText("1.2.3.4");
        host.Field(2)->setFocus();
        QTest::keyClick(host.Field(2), Qt::Key_Tab);
        QCOMPARE(host.Focus(), host.after);
        host.Field(3)->setFocus();
        QTest::keyClick(host.Field(3), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(host.Focus(), host.before);
        host.Field(4)->setFocus();
        QTest::keyClick(host.Field(4), Qt::Key_Tab);
        QCOMPARE(host.Focus(), host.after);
        host.Field(1)->setFocus();
        QTest::keyClick(host.Field(1), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(host.Focus(), host.before);
        QCOMPARE(host.ctrl->DottedText(), QStringLiteral("1.2.3.4"));
    }

    // Key sequences as an operator types them, from the control's first field. Keys: digits,
    // "." and " " as typed; "<" and ">" the arrow keys, "B" Backspace, "T" Tab. The result:
    // the four fields joined by "|", then where the focus is (field number, or "after").
    void typedKeysGiveThatAddress_data() {
        QTest::addColumn<QString>("start");  // "" for empty fields, else set as dotted text
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("fields");
        QTest::addColumn<QString>("focus");
        // clang-format off
        QTest::newRow("full fields then dots") << "" << "192.168.1.20" << "192|168|1|20" << "4";
        QTest::newRow("full middle field")     << "" << "127.100.1.1"  << "127|100|1|1"  << "4";
        QTest::newRow("short fields")          << "" << "10.0.0.77"    << "10|0|0|77"    << "4";
        QTest::newRow("over a shown 0.0.0.0")  << "0.0.0.0" << "10.0.0.77" << "10|0|0|77" << "4";
        QTest::newRow("no dots after full")    << "" << "1921681.20"   << "192|168|1|20" << "4";
        QTest::newRow("spaces")                << "" << "1 2 3 4"      << "1|2|3|4"      << "4";
        QTest::newRow("second dot moves on")   << "" << "12..3"        << "12||3|"       << "3";
        QTest::newRow("dot after full, twice") << "" << "255..7"       << "255||7|"      << "3";
        QTest::newRow("backspace crosses back") << "" << "12.BB3"      << "13|||"        << "1";
        QTest::newRow("arrows cross")          << "" << "1>2<<9"       << "19|2||"       << "1";
        QTest::newRow("tab leaves")            << "" << "10.1T"        << "10|1||"       << "after";
        QTest::newRow("digit after a 0")       << "0.0.0.0" << ">>>77" << "0|0|0|77"     << "4";
        // clang-format on
    }
    void typedKeysGiveThatAddress() {
        QFETCH(QString, start);
        QFETCH(QString, keys);
        QFETCH(QString, fields);
        QFETCH(QString, focus);
        SHost host;
        if (!start.isEmpty()) host.ctrl->SetDottedText(start.toStdString());
        host.Field(1)->setFocus();
        host.Field(1)->selectAll();
        for (QChar key : keys) {
            const char c = key.toLatin1();
            QWidget* target = host.Focus();
            if (c == '<' || c == '>')
                QTest::keyClick(target, c == '<' ? Qt::Key_Left : Qt::Key_Right);
            else if (c == 'B')
                QTest::keyClick(target, Qt::Key_Backspace);
            else if (c == 'T')
                QTest::keyClick(target, Qt::Key_Tab);
            else
                QTest::keyClick(target, c);
        }
        QStringList texts;
        for (int n = 1; n <= 4; ++n) texts << host.Field(n)->text();
        QCOMPARE(texts.join('|'), fields);
        QString where = host.Focus() == host.after ? QStringLiteral("after") : QString();
        for (int n = 1; n <= 4; ++n)
            if (host.Focus() == host.Field(n)) where = QString::number(n);
        QCOMPARE(where, focus);
    }

    // Pasting a whole dotted address fills all four fields, whichever field has the focus;
    // part of an address is refused; other text pastes into the field as typed text would.
    void pastingAnAddressFillsAllFields_data() {
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("fields");
        QTest::newRow("address") << "192.168.1.20"
                                 << "192|168|1|20";
        QTest::newRow("with blanks") << " 10.0.0.77\n"
                                     << "10|0|0|77";
        QTest::newRow("out of range") << "10.0.0.300"
                                      << "|||";
        QTest::newRow("three parts") << "10.0.7"
                                     << "|||";
        QTest::newRow("digits") << "42"
                                << "42|||";
    }
    void pastingAnAddressFillsAllFields() {
        QFETCH(QString, clipboard);
        QFETCH(QString, fields);
        SHost host;
        host.Field(1)->setFocus();
        QGuiApplication::clipboard()->setText(clipboard);
        QTest::keyClick(host.Field(1), Qt::Key_V, Qt::ControlModifier);
        QStringList texts;
        for (int n = 1; n <= 4; ++n) texts << host.Field(n)->text();
        QCOMPARE(texts.join('|'), fields);
    }

    void enterClicksTheDefaultButtonAndEscapeCancelsTheOuterDialog() {
        SHost host;
        QSignalSpy clicked(host.ok, &QPushButton::clicked);
        host.Field(3)->setFocus();
        QTest::keyClick(host.Field(3), Qt::Key_Return);
        QCOMPARE(clicked.count(), 1);
        QVERIFY(host.dialog.isVisible());
        QTest::keyClick(host.Field(3), Qt::Key_Escape);
        QVERIFY(!host.dialog.isVisible());
        QCOMPARE(host.dialog.result(), int(QDialog::Rejected));
    }

    void getAddressReportsTheFirstBadField_data() {
        QTest::addColumn<QString>("f1");
        QTest::addColumn<QString>("f2");
        QTest::addColumn<int>("bad");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << "10"
                                 << "" << 2 << "Missing value in IP address";
        QTest::newRow("range before missing")
            << "256"
            << "" << 1
            << "256 is not a valid entry.  Please specify a value between 0 and 255 for this "
               "field.";
    }

    void getAddressReportsTheFirstBadField() {
        QFETCH(QString, f1);
        QFETCH(QString, f2);
        QFETCH(int, bad);
        QFETCH(QString, message);
        SHost host;
        host.ctrl->SetDottedText("9.9.9.9");
        host.Field(1)->setText(f1);
        host.Field(2)->setText(f2);
        host.after->setFocus();

        AddressControl::SAddress address;
        address.bytes = {1, 1, 1, 1};
        QVERIFY(!host.ctrl->GetAddress(address, false));
        QCOMPARE(address.nBadField, bad);
        QCOMPARE(address.bytes, (AddressControl::Bytes{0, 0, 0, 0}));
        QCOMPARE(host.Focus(), host.Field(bad));

        const auto box = ExpectBox();
        QCOMPARE(host.ctrl->DottedText(), QString());
        QCOMPARE(box->count, 1);
        QCOMPARE(box->text, message);

        AddressControl::Bytes kept{5, 6, 7, 8};
        const auto second = ExpectBox();
        QVERIFY(!host.ctrl->Exchange(true, kept));
        QCOMPARE(kept, (AddressControl::Bytes{5, 6, 7, 8}));
        QCOMPARE(host.Focus(), host.Field(bad));
    }

    void exchangeLoadsAndSaves() {
        SHost host;
        AddressControl::Bytes bytes{172, 16, 0, 1};
        QVERIFY(host.ctrl->Exchange(false, bytes));
        QCOMPARE(host.Field(1)->text(), QStringLiteral("172"));
        host.Field(4)->setText(QStringLiteral("99"));
        QVERIFY(host.ctrl->Exchange(true, bytes));
        QCOMPARE(bytes, (AddressControl::Bytes{172, 16, 0, 99}));
    }

    void readOnlyFieldsKeepTheirTextAndShowTheFaceColour() {
        SHost host;
        host.ctrl->SetDottedText("1.2.3.4");
        host.ctrl->SetReadOnly(true);
        QVERIFY(host.ctrl->IsReadOnly());
        host.Field(1)->setFocus();
        host.Type("9");
        QCOMPARE(host.Field(1)->text(), QStringLiteral("1"));
        const QColor face = host.ctrl->palette().color(QPalette::Button);
        QCOMPARE(host.Field(2)->palette().color(QPalette::Base), face);
        host.ctrl->SetReadOnly(false);
        QCOMPARE(host.Field(2)->palette().color(QPalette::Base),
                 host.ctrl->palette().color(QPalette::Base));
        host.ctrl->setEnabled(false);
        QVERIFY(!host.Field(3)->isEnabled());
        QCOMPARE(host.Field(2)->palette().color(QPalette::Base), face);
    }
};

QTEST_MAIN(TestIPAddressCtrl)
#include "test_ip_address_ctrl.moc"
