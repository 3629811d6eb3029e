#include "platform/ui/QtDialogs.h"

#include "base/filenames.h"
#include "platform/ui/IconThemeWarmUp.h"

#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFontDialog>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <algorithm>

QFont ToQFont(const tFontSpec& record) {
    QFont f(record.name);
    if (record.size > 0) f.setPointSizeF(record.size);
    f.setWeight(QFont::Weight(qBound(100, record.weight, 900)));
    if (record.bold && record.weight < 600) f.setWeight(QFont::Bold);
    f.setItalic(record.italic);
    f.setUnderline(record.underline);
    f.setStrikeOut(record.strikethrough);
    return f;
}

tFontSpec FromQFont(const QFont& font) {
    tFontSpec s;
    s.name = font.family();
    s.size = font.pointSizeF() > 0 ? font.pointSizeF() : 8;
    s.weight = int(font.weight());
    s.bold = s.weight >= 600;
    s.italic = font.italic();
    s.underline = font.underline();
    s.strikethrough = font.strikeOut();
    return s;
}

int32_t QtDialogs::ShowColor(QWidget* owner, int32_t, int32_t initial) {
    WaitForIconTheme(); // dialogs take their icons from the theme
    const auto& custom = CustomColors();
    for (int i = 0; i < int(custom.size()); ++i)
        QColorDialog::setCustomColor(i, BgrToColor(custom[i]));
    const QColor c = QColorDialog::getColor(BgrToColor(initial), owner);
    return c.isValid() ? ColorToBgr(c) : -1;
}

bool QtDialogs::ChooseFont(QWidget* owner, tFontSpec& font, int32_t&) {
    WaitForIconTheme(); // dialogs take their icons from the theme
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, ToQFont(font), owner);
    if (!ok) return false;
    font = FromQFont(chosen);
    return true;
}

QString QtDialogs::ShowOpen(QWidget* owner, const QString& qtFilter, const QString& title,
                            const QString& initialFolder) {
    WaitForIconTheme(); // dialogs take their icons from the theme
    // Through addresses, which carry a name's bytes as they are (a name that is not UTF-8 stays
    // the file it names).
    return FileNameFromUrl(QFileDialog::getOpenFileUrl(owner, title, FileNameUrl(initialFolder), qtFilter));
}

QString QtDialogs::ShowSave(QWidget* owner, const QString& qtFilter, const QString& title,
                            const QString& initialFolder, const QString& defaultName, bool confirmOverwrite) {
    WaitForIconTheme(); // dialogs take their icons from the theme
    QString start = initialFolder;
    if (!defaultName.isEmpty()) start = QDir(initialFolder).filePath(defaultName);
    return FileNameFromUrl(QFileDialog::getSaveFileUrl(owner, title, FileNameUrl(start), qtFilter, nullptr,
                                                       confirmOverwrite ? QFileDialog::Options()
                                                                        : QFileDialog::DontConfirmOverwrite));
}

QString QtDialogs::BrowseForFolder(QWidget* owner, const QString& title) {
    WaitForIconTheme(); // dialogs take their icons from the theme
    return QFileDialog::getExistingDirectory(owner, title);
}

int InputBoxTitleWidth(const QString& title) {
    // The frame draws the title in a bold face beside the icon and three buttons.
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    return QFontMetrics(font).horizontalAdvance(title) + 160;
}

QString QtDialogs::InputBox(QWidget* owner, const QString& prompt, const QString& title,
                            const QString& defaultText, bool* ok) {
    WaitForIconTheme(); // dialogs take their icons from the theme
    // Our own box rather than QInputDialog: that one is only as wide as its prompt, so a short
    // prompt cuts the title off, and it leaves a strip of its own below the buttons.
    QDialog box(owner);
    box.setObjectName(QStringLiteral("InputBox"));
    box.setWindowTitle(title);
    auto* label = new QLabel(prompt, &box);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    auto* edit = new QLineEdit(defaultText, &box);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &box);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &box, &QDialog::reject);
    auto* layout = new QVBoxLayout(&box);
    layout->addWidget(label);
    layout->addWidget(edit);
    layout->addWidget(buttons);
    // Exactly as large as its content, never resized into empty space.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    const QMargins m = layout->contentsMargins();
    const int width = std::max({InputBoxTitleWidth(title), label->fontMetrics().horizontalAdvance(prompt) / 2, 300});
    edit->setMinimumWidth(std::min(width, 900) - m.left() - m.right());
    edit->selectAll();
    edit->setFocus();
    const bool accepted = box.exec() == QDialog::Accepted;
    if (ok) *ok = accepted;
    return accepted ? edit->text() : QString();
}
