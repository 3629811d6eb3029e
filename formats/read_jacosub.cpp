// JacoSub: directive lines "#NAME value" and caption lines "h:mm:ss.ff h:mm:ss.ff D text". The
// fraction of a time counts units of the resolution "#TIMERES n" sets (30 a second when the
// file names none); "\n" in a text is a line break.
#include "formats/readerpaths.h"

#include <memory>

namespace {

constexpr int64_t kDefaultTimeRes = 30;
constexpr int64_t kMostTimeRes = 1000000000;

struct JacoSubState final : tGrammarData {
    int64_t timeRes = kDefaultTimeRes;
};

JacoSubState& JacoSub(tCaptionReader& r) {
    if (!r.grammarData) r.grammarData = std::make_unique<JacoSubState>();
    return static_cast<JacoSubState&>(*r.grammarData);
}

void SkipBlanks(QStringView line, qsizetype& pos) {
    while (pos < line.size() && (line[pos] == u' ' || line[pos] == u'\t'))
        ++pos;
}

} // namespace

void ReadJacoSubLine(tCaptionReader& r, QStringView line) {
    if (line.isEmpty()) return;
    JacoSubState& state = JacoSub(r);
    if (line.startsWith(u'#')) {
        // Directives (a title, the resolution; a further file's header where files were joined)
        // are the file's own lines; only the resolution bears on what is read.
        if (line.startsWith(QLatin1String("#TIMERES"), Qt::CaseInsensitive)) {
            bool ok = false;
            const qlonglong n = line.mid(8).trimmed().toLongLong(&ok);
            if (ok && n > 0) state.timeRes = std::min<int64_t>(n, kMostTimeRes);
        }
        return;
    }
    qsizetype pos = 0;
    const std::optional<int64_t> start = ReadScaledTime(line, pos, state.timeRes);
    const qsizetype gap = pos;
    SkipBlanks(line, pos);
    const std::optional<int64_t> end =
        start && pos > gap ? ReadScaledTime(line, pos, state.timeRes) : std::nullopt;
    const qsizetype afterEnd = pos;
    SkipBlanks(line, pos);
    // The directive the program writes, "D", is the one read: a caption with any other would
    // show otherwise than its text alone tells.
    const bool plain = end && pos > afterEnd && line.mid(pos).startsWith(u'D') &&
                       (pos + 1 == line.size() || line[pos + 1] == u' ' || line[pos + 1] == u'\t');
    if (!plain) {
        r.NotRead(line);
        return;
    }
    r.start = r.LimitTime(*start);
    r.end = r.LimitTime(*end);
    r.text = line.mid(pos + 1).trimmed().toString();
    r.FlushCaption();
}
