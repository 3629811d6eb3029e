// The template parser. The body template of a format is read as a picture of one caption: the
// text before and after each placeholder ("delimiters") tells where a time field or the text
// begins and ends on a line. A delimiter that spans a line break keeps only its part on the
// placeholder's own line: a "before" delimiter what follows its (at most two) line breaks, an
// "after" delimiter what precedes its first one, ending in CR, which stands for "up to the end
// of the line".
#include "formats/readerpaths.h"
#include "formats/textops.h"

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString CutBefore(QString d) {
    for (int pass = 0; pass < 2; ++pass) {
        const qsizetype at = d.indexOf(kCrLf);
        if (at >= 0) d = d.mid(at + 2);
    }
    return d;
}

QString CutAfter(const QString& d) {
    const qsizetype at = d.indexOf(kCrLf);
    return at >= 0 ? d.left(at + 1) : d;
}

// Digits 1..9 as 0, then frame fields as zeros: what a time mask looks like in a line.
QString MaskLine(QStringView line) {
    QString m = line.toString();
    for (QChar& c : m)
        if (c >= u'1' && c <= u'9') c = u'0';
    return m.contains(QLatin1String("ff")) ? ReplaceText(m, u"ff", u"00") : m;
}

constexpr Qt::CaseSensitivity kCi = Qt::CaseInsensitive;
// Time fields are short; a longer one is not a time.
constexpr qsizetype kMaxField = 13;

// The key of a header line: up to the first "=", ":", "]", ">", tab or blank, that included;
// empty when the line has none of them.
QStringView HeaderKey(QStringView line) {
    for (qsizetype k = 0; k < line.size(); ++k) {
        const QChar c = line[k];
        if (c == u'=' || c == u':' || c == u']' || c == u'>') return line.left(k + 1);
        if (c == u'\t' || c == u' ') return k > 0 ? line.left(k + 1) : QStringView();
    }
    return QStringView();
}

bool IsDigits(QStringView s) {
    for (const QChar c : s)
        if (!c.isDigit()) return false;
    return true;
}

} // namespace

void tHeaderLines::Add(QStringView text) {
    for (QStringView l : text.split(u'\n')) {
        l = l.trimmed();
        if (l.isEmpty() || lines_.contains(l)) continue;
        lines_ << l.toString();
        const QStringView key = HeaderKey(l);
        if (!key.isEmpty() && !keys_.contains(key, kCi)) keys_ << key.toString();
    }
}

bool tHeaderLines::IsOwn(QStringView line, bool wordsOnly) const {
    line = line.trimmed();
    if (wordsOnly && IsDigits(line)) return false;
    for (const QString& l : lines_)
        if (line.compare(l, kCi) == 0) return true;
    return false;
}

bool tHeaderLines::HasOwnKey(QStringView line) const {
    const QStringView key = HeaderKey(line.trimmed());
    return !key.isEmpty() && keys_.contains(key, kCi);
}

void tHeaderLines::Place(tCaptionReader& r, QStringView line) const {
    if (IsOwn(line)) return;
    if (HasOwnKey(line))
        r.leftOut |= kLeftHeader;
    else
        r.NotRead(line);
}

tTemplateParser::tTemplateParser(const tFormatDef& def, bool timedSample, const QString& ownHeader) {
    QString body = def.Body;
    for (QChar& c : body)
        if (c >= u'1' && c <= u'9') c = u'0';
    const qsizetype s = body.indexOf(QLatin1String("zrvStart"), 0, kCi);
    const qsizetype e = body.indexOf(QLatin1String("zrvEnd"), 0, kCi);
    const qsizetype c = body.indexOf(QLatin1String("zrvCaption"), 0, kCi);
    const qsizetype n =
        def.SubCountFormat.isEmpty() ? -1 : body.indexOf(QLatin1String("zrvSubCount"), 0, kCi);
    // The caption number is not a field the reader uses: the text before the start begins after it.
    const qsizetype f = n >= 0 && n + 11 <= s ? n + 11 : 0;
    const qsizetype afterStart = s + 8, afterEnd = e + 6, afterCaption = c + 10;
    QString bs = body.mid(f, s - f), as, be, ae, bc, ac;
    captionAfterEnd_ = def.CaptionAfterEnd;
    if (captionAfterEnd_) {
        as = be = body.mid(afterStart, e - afterStart);
        ae = bc = body.mid(afterEnd, c - afterEnd);
        ac = body.mid(afterCaption);
        captionOnLaterLine_ = bc.contains(kCrLf);
    } else {
        as = bc = body.mid(afterStart, c - afterStart);
        ac = be = body.mid(afterCaption, e - afterCaption);
        ae = body.mid(afterEnd);
        captionOnLaterLine_ = bc.contains(kCrLf);
    }
    endOnLaterLine_ = body.mid(afterStart, e - afterStart).contains(kCrLf);
    singleLine_ = def.SingleLineBody;
    // A field whose delimiter begins its template line stands at the start of a file's line:
    // a time inside a caption's text ("leaves at 10:30:00") is not one.
    startAtLineStart_ = f == 0 || bs.contains(kCrLf);
    endAtLineStart_ = be.contains(kCrLf);
    bs_ = CutBefore(bs);
    be_ = CutBefore(be);
    // Lines are read trimmed.
    auto trimFront = [](QString& d) {
        qsizetype k = 0;
        while (k < d.size() && (d[k] == u' ' || d[k] == u'\t'))
            ++k;
        d.remove(0, k);
    };
    if (startAtLineStart_) trimFront(bs_);
    if (endAtLineStart_) trimFront(be_);
    bc_ = CutBefore(bc);
    as_ = CutAfter(as);
    ae_ = CutAfter(ae);
    ac_ = CutAfter(ac);
    // One line a caption, its fields between marks of their own: an end field left empty is the
    // two marks around it side by side ("{75}{}text"). Blanks around fields are no such marks
    // (more of them stand between fields where a file pads its numbers).
    const auto isMark = [](const QString& d) {
        return !d.isEmpty() && !d.contains(u' ') && !d.contains(u'\t') && !d.contains(u'\r');
    };
    if (singleLine_ && captionAfterEnd_ && !endOnLaterLine_ && !captionOnLaterLine_ && isMark(as_) &&
        isMark(ae_))
        emptyEnd_ = as_ + ae_;
    mask_ = def.TimeMask;
    // Masks are digits and separators: a case-blind search is needed only for letters.
    maskCase_ = Qt::CaseSensitive;
    for (QChar ch : mask_)
        if (ch.isLetter()) maskCase_ = kCi;
    timed_ = timedSample;
    enterBreaks_ = def.LineBreakToken.compare(QLatin1String("[enter]"), kCi) == 0;
    // The template's own lines without a placeholder ("}", "[end]", "</subtitles>"): a file
    // holds them between and after its captions.
    for (const QString& piece : {def.Body, def.Footer}) {
        for (const QString& l : piece.split(kCrLf)) {
            const QString t = l.trimmed();
            if (!t.isEmpty() && !t.contains(QLatin1String("zrv"), kCi)) templateLines_ << t;
        }
    }
    header_.Add(ownHeader.isEmpty() ? def.Header : ownHeader);
}

// Where a time field preceded by delim stands in the masked line, from position from on: the
// field is where the time mask occurs, widened over further leading digits (a hundredth hour,
// minutes that hold the hours), right after the delimiter (with a minus in front, a time below
// 0, where there is one). A field at the line's start stands nowhere else; in a timed file the delimiter
// after the field follows the mask at once. -1 when there is none.
qsizetype tTemplateParser::FindField(const QString& M, const QString& delim, const QString& after,
                                     bool atLineStart, qsizetype from, qsizetype& maskEnd,
                                     bool atFrom) const {
    if (atLineStart && from > 0) return -1;
    for (qsizetype k = M.indexOf(mask_, from, maskCase_); k >= 0; k = M.indexOf(mask_, k + 1, maskCase_)) {
        if ((atLineStart || atFrom) && k > from + delim.size() + kMaxField) break;
        if (timed_ && !after.isEmpty() &&
            QStringView(M).mid(k + mask_.size(), after.size()).compare(after, kCi) != 0)
            continue;
        // No wider than a time field can be (and no quadratic walk back over a long run of zeros).
        qsizetype widest = k;
        while (widest > from && k - widest < kMaxField && M[widest - 1] == u'0')
            --widest;
        for (qsizetype a = widest; a <= k; ++a) {
            // A minus in front of the field is part of it: a time below 0.
            const qsizetype b = a > from && M[a - 1] == u'-' ? a - 1 : a;
            for (const qsizetype p : {a, b}) {
                if (atLineStart && p != delim.size()) continue;
                if (atFrom && p - delim.size() != from) continue;
                if (p - delim.size() >= from &&
                    QStringView(M).mid(p - delim.size(), delim.size()).compare(delim, kCi) == 0) {
                    maskEnd = k + mask_.size();
                    return p;
                }
            }
        }
    }
    return -1;
}

bool tTemplateParser::TimeLike(const QString& M) const {
    if (mask_ != QLatin1String("0")) return M.contains(mask_, maskCase_);
    // Times in ms or frames: a number stands where the template puts the start.
    qsizetype k = 0;
    if (startAtLineStart_) {
        if (!M.startsWith(bs_, kCi)) return false;
        k = bs_.size();
    } else {
        k = M.indexOf(bs_, 0, kCi);
        if (k < 0) return false;
        k += bs_.size();
    }
    return k < M.size() && (M[k] == u'0' || M[k] == u'-');
}

void tTemplateParser::ReadLine(tCaptionReader& r, QStringView line) {
    // A caption whose times are both read ends at a blank line or where the next one begins;
    // one without text is dropped then, so that its times go to no other caption's text.
    if (line.isEmpty()) {
        if (r.start >= 0 && r.end >= 0) r.FlushCaption();
        lostBlock_ = false;
        return;
    }
    const QString L = line.toString() + kCrLf;
    const QString M = MaskLine(L);

    qsizetype maskEnd = 0;
    qsizetype startField = FindField(M, bs_, as_, startAtLineStart_, 0, maskEnd);
    const qsizetype startMaskEnd = maskEnd;
    // Where the template puts the end right after the start ("zrvStart zrvEnd"), a line is a
    // time line only when its end follows its start that way: a caption's text may begin with
    // a start-like time ("00:00:01:00  00:00:02:00" in a file whose fields stand one blank apart).
    if (startField >= 0 && captionAfterEnd_ && !endOnLaterLine_) {
        const qsizetype p2 = timed_ ? startMaskEnd : M.indexOf(as_, startField + 1, kCi);
        qsizetype unused = 0;
        if (p2 < 0 || FindField(M, be_, ae_, false, p2, unused, true) < 0) {
            if (!emptyEnd_.isEmpty() && p2 > startField && p2 - startField < kMaxField &&
                QStringView(M).mid(p2).startsWith(emptyEnd_, kCi)) {
                ReadOpenCaption(r, L, M, startField, p2);
                return;
            }
            startField = -1;
        }
    }
    if (startField >= 0) lostBlock_ = false;

    // In a one-line format every line is a caption of its own.
    if (singleLine_ ? r.start >= 0 : r.start >= 0 && r.end >= 0 && startField >= 0 && M.contains(as_, kCi))
        r.FlushCaption();

    const bool hadText = !r.text.isEmpty();
    bool startLine = false, endLine = false, textLine = false;
    qsizetype startFieldEnd = 0, endFieldEnd = 0, textPos = -1;

    // The field from p1 up to p2, when it has the length of a time field.
    auto field = [&](qsizetype p1, qsizetype p2, int32_t& out) {
        if (p1 < 0 || p2 <= p1 || p2 - p1 >= kMaxField || p2 > L.size()) return false;
        out = r.Time(QStringView(L).mid(p1, p2 - p1));
        return true;
    };
    // A timed file's fields end where the time mask ends; other fields at the delimiter after.
    auto fieldEnd = [&](qsizetype p1, qsizetype end, const QString& after) {
        return timed_ ? end : M.indexOf(after, p1 + 1, kCi);
    };

    if (r.start == -1 && startField >= 0) {
        const qsizetype p2 = fieldEnd(startField, startMaskEnd, as_);
        if (field(startField, p2, r.start)) {
            startLine = true;
            startFieldEnd = p2;
            EndOpenCaption(r, r.start);
        }
    }
    // The end is read on the start's line only where the template puts it there.
    auto readEnd = [&](qsizetype from) {
        if (r.end != -1 || (startLine && endOnLaterLine_)) return;
        qsizetype end = 0;
        const qsizetype p1 = FindField(M, be_, ae_, endAtLineStart_, from, end);
        if (p1 < 0) return;
        const qsizetype p2 = fieldEnd(p1, end, ae_);
        if (field(p1, p2, r.end)) {
            endLine = true;
            endFieldEnd = p2;
        }
    };
    // The text from pos up to the after-caption delimiter (or the end of the line). A delimiter
    // other than the line end closes the text: later lines are no part of it.
    auto textFrom = [&](qsizetype pos) {
        textLine = true;
        const qsizetype k = M.indexOf(ac_, pos, kCi);
        if (k >= 0) {
            if (ac_ != QLatin1String("\r")) r.textClosed = true;
            return QStringView(L).mid(pos, k - pos);
        }
        return QStringView(L).mid(pos, L.size() - 2 - pos);
    };
    // A line that begins a caption's time line is never caption text, nor is one of the lines
    // the template and the header put around captions (a joined file has a header in its middle).
    qsizetype unused = 0;
    const bool timeLine = startField >= 0 || FindField(M, be_, ae_, endAtLineStart_, 0, unused) == be_.size();
    const auto mayBeText = [&] {
        return !timeLine && !templateLines_.contains(line, kCi) && !header_.IsOwn(line, true);
    };

    if (!captionAfterEnd_) {
        // Start, caption, end.
        if (startLine && !captionOnLaterLine_) {
            const qsizetype k = M.indexOf(bc_, startFieldEnd, kCi);
            if (k >= 0) textPos = k + bc_.size();
        }
        if (r.start >= 0 && r.end == -1 && !r.textClosed) {
            if (startLine) {
                if (textPos >= 0) r.text = textFrom(textPos).toString();
            } else if (mayBeText()) {
                if (!hadText) {
                    const qsizetype k = M.indexOf(bc_, 0, kCi);
                    if (k >= 0) r.text = textFrom(k + bc_.size()).toString();
                } else if (enterBreaks_) {
                    r.AppendText(textFrom(0));
                }
            }
            if (!r.LineBreak().isEmpty() && r.text.endsWith(r.LineBreak())) r.text.chop(r.LineBreak().size());
        }
        if (!r.text.isEmpty() && r.start >= 0) readEnd(startLine ? startFieldEnd : 0);
    } else {
        // Start, end, caption.
        if (r.start >= 0) readEnd(startLine ? startFieldEnd : 0);
        if (endLine) {
            if (!captionOnLaterLine_) {
                const qsizetype k = M.indexOf(bc_, endFieldEnd, kCi);
                if (k >= 0 && r.text.isEmpty()) r.text = textFrom(k + bc_.size()).toString();
            }
        } else if (r.start >= 0 && r.end >= 0 && !r.textClosed && mayBeText()) {
            // Further lines of the caption: the first from its before-caption delimiter on.
            if (r.text.isEmpty()) {
                const qsizetype k = M.indexOf(bc_, 0, kCi);
                if (k >= 0) r.text = textFrom(k + bc_.size()).toString();
            } else {
                r.AppendText(textFrom(0));
            }
        }
    }
    if (startLine || endLine || textLine || templateLines_.contains(line.trimmed(), kCi)) return;
    // No part of a caption: one of the header's lines, a further line of a caption whose time
    // line could not be read, such a time line (its caption is skipped: once a block, every such
    // line where each line is a caption), or a line of something else, told by name.
    if (header_.IsOwn(line) || header_.HasOwnKey(line)) {
        header_.Place(r, line);
    } else if (!lostBlock_ && TimeLike(M)) {
        ++r.skipped;
        lostBlock_ = !singleLine_;
    } else if (!lostBlock_) {
        r.NotRead(line);
    }
}

void tTemplateParser::ReadOpenCaption(tCaptionReader& r, const QString& L, const QString& M,
                                      qsizetype startField, qsizetype fieldEnd) {
    lostBlock_ = false;
    // The caption before stands complete on its own line.
    if (r.start >= 0) r.FlushCaption();
    const int32_t start = r.Time(QStringView(L).mid(startField, fieldEnd - startField));
    EndOpenCaption(r, start);
    const qsizetype from = fieldEnd + emptyEnd_.size();
    const qsizetype to = M.indexOf(ac_, from, kCi);
    r.start = start;
    // The default length, until a later caption's start ends it.
    r.end = ClampTime(int64_t(start) + kDefaultCaptionMs);
    r.text = QStringView(L).mid(from, (to >= 0 ? to : L.size() - 2) - from).toString();
    const size_t before = r.captions.size();
    r.FlushCaption();
    if (r.captions.size() > before) openCaption_ = before;
}

void tTemplateParser::EndOpenCaption(tCaptionReader& r, int32_t next) {
    if (!openCaption_) return;
    tImportCaption& open = r.captions[*openCaption_];
    openCaption_.reset();
    // A caption that begins no later cannot end it: it keeps the default length, and is told.
    if (next > open.start)
        open.end = next;
    else
        ++r.endsSet;
}

void tTemplateParser::Finish(tCaptionReader& r) {
    // Nothing after it: the default length stays.
    if (openCaption_) ++r.endsSet;
    openCaption_.reset();
}
