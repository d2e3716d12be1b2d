// SPDX-FileCopyrightText: 2026 The Quillmarch developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QFrame>
#include <QRect>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace quillmarch {

class AddressFieldEdit;

// An IPv4 address as four decimal fields (0-255) separated by painted dots. Fields move the
// focus on ".", space, Tab, a full field and the arrow keys at their ends; values out of range
// and missing values are reported in a message box when the caller asks for it.
class AddressControl : public QFrame {
    Q_OBJECT
public:
    using Bytes = std::array<std::uint8_t, 4>;

    // The address of a successful read; badField is the 1-based number of the first bad
    // field, 0 when all are good.
    struct SAddress {
        Bytes bytes{};
        int nBadField = 0;
    };

    // noRangeCheck: a full field moves on without checking its range (get still checks).
    explicit AddressControl(QWidget* parent = nullptr, bool noRangeCheck = false);

    // Validates the fields in order. At the first empty or out-of-range field: reports it when
    // asked, gives it the focus with its text selected and answers false.
    bool GetAddress(SAddress& address, bool reportErrors);
    void SetAddress(const Bytes& bytes);
    void SetReadOnly(bool readOnly);
    bool IsReadOnly() const { return m_readOnly; }
    bool NoRangeCheck() const { return m_noRangeCheck; }

    // Dialog data exchange: saving reads with error reporting (the bad field keeps the focus
    // on failure); loading shows the bytes.
    bool Exchange(bool save, Bytes& bytes);
    // Dotted text in (parsed as ParseDotted) and out (empty when a field is bad; reports it).
    void SetDottedText(std::string_view text);
    QString DottedText();

    // Four numbers separated by dots; a missing dot or an empty last part gives 0.0.0.0. Each
    // part is its leading decimal number (0 without one), kept to its low 8 bits; anything
    // after a fourth dot belongs to the last part.
    static Bytes ParseDotted(std::string_view text);
    // The leading decimal number of a text as the C library's atoi reads it; 0 without one.
    static int LeadingNumber(std::string_view text);

    // A pasted text that is a whole dotted address ("192.168.1.20"), else nothing.
    static std::optional<Bytes> ParsePastedAddress(const QString& text);
    // Fills all four fields from a pasted whole address; false (nothing changed) otherwise.
    bool PasteAddress(const QString& text);

    AddressFieldEdit* Field(int number) const;  // 1 to 4
    // Names the control and each of its fields ("IP Address, part 1 of 4") for a screen reader.
    void SetAccessibleNames(const QString& name);
    QSize sizeHint() const override;

    // --- called by the fields ---------------------------------------------------------------
    enum class Navigation { Dot, Tab, BackTab, Enter, FieldFull, Escape };
    // Answers true when the key was used up.
    bool Navigate(int field, Navigation how);
    void FocusField(int field, bool selectAll);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    static constexpr int kFields = 4;

    void Layout();
    void ApplyColours();
    void ShowError(const QString& text);
    void FocusOutside(bool forward);
    bool CancelOuterDialog();
    bool ClickDefaultButton();

    std::array<AddressFieldEdit*, kFields> m_fields{};
    std::array<QRect, kFields - 1> m_dotRects;
    bool m_readOnly = false;
    bool m_noRangeCheck = false;
};

}  // namespace quillmarch
