#include "language/lang.h"

#include "platform/processstate.h"

std::array<QString, kLangTextCount> gLang;

static void ResetLang() {
    for (QString& s : gLang)
        s.clear();
}
SCRIVELLE_REGISTER_RESET(ResetLang);

QString LangText(int k) {
    return (k >= 0 && k < kLangTextCount) ? gLang[size_t(k)] : QString();
}

QString LangText(int k, const QString& p1, const QString& p2) {
    // One left-to-right pass, so a substituted text that holds "%2" is left alone.
    const QString t = LangText(k);
    QString out;
    out.reserve(t.size() + p1.size() + p2.size());
    for (qsizetype i = 0; i < t.size(); ++i) {
        if (t[i] == u'%' && i + 1 < t.size() && (t[i + 1] == u'1' || t[i + 1] == u'2')) {
            out += t[i + 1] == u'1' ? p1 : p2;
            ++i;
        } else {
            out += t[i];
        }
    }
    return out;
}
