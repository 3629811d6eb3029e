#include "platform/ui/QtDialogs.h"

#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>

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
    const auto& custom = CustomColors();
    for (int i = 0; i < int(custom.size()); ++i)
        QColorDialog::setCustomColor(i, BgrToColor(custom[i]));
    const QColor c = QColorDialog::getColor(BgrToColor(initial), owner);
    return c.isValid() ? ColorToBgr(c) : -1;
}

bool QtDialogs::ChooseFont(QWidget* owner, tFontSpec& font, int32_t&) {
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, ToQFont(font), owner);
    if (!ok) return false;
    font = FromQFont(chosen);
    return true;
}

QString QtDialogs::ShowOpen(QWidget* owner, const QString& qtFilter, const QString& title,
                            const QString& initialFolder) {
    return QFileDialog::getOpenFileName(owner, title, initialFolder, qtFilter);
}

QString QtDialogs::ShowSave(QWidget* owner, const QString& qtFilter, const QString& title,
                            const QString& initialFolder, const QString& defaultName) {
    QString start = initialFolder;
    if (!defaultName.isEmpty()) start = QDir(initialFolder).filePath(defaultName);
    return QFileDialog::getSaveFileName(owner, title, start, qtFilter);
}

QString QtDialogs::BrowseForFolder(QWidget* owner, const QString& title) {
    return QFileDialog::getExistingDirectory(owner, title);
}

QString QtDialogs::InputBox(QWidget* owner, const QString& prompt, const QString& title,
                            const QString& defaultText, bool* ok) {
    return QInputDialog::getText(owner, title, prompt, QLineEdit::Normal, defaultText, ok);
}
