#pragma once
// Exact (case-sensitive) searches for short needles in long runs of text. Qt's general string
// search prepares itself for every call, which costs more than the search when a file's
// hundred thousand lines are each looked at for a tag or an arrow; these jump from one
// occurrence of the needle's first character to the next and compare the rest. The answers
// are QStringView::indexOf's and QString::remove's (for a from of 0 or more).
#include <QString>
#include <QStringView>

#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

// The first c at or after from (a negative from is 0), or -1: QStringView::indexOf(c, from),
// without the calls through Qt for every short line and caption.
inline qsizetype FindChar(QStringView text, QChar c, qsizetype from = 0) {
    const char16_t* p = reinterpret_cast<const char16_t*>(text.data());
    const qsizetype n = text.size();
    const char16_t u = c.unicode();
    qsizetype i = from < 0 ? 0 : from;
#ifdef __SSE2__
    const __m128i want = _mm_set1_epi16(short(u));
    for (; i + 8 <= n; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const int hits = _mm_movemask_epi8(_mm_cmpeq_epi16(v, want));
        if (hits != 0) return i + __builtin_ctz(unsigned(hits)) / 2;
    }
#endif
    for (; i < n; ++i)
        if (p[i] == u) return i;
    return -1;
}

inline bool ContainsChar(QStringView text, QChar c) {
    return FindChar(text, c) >= 0;
}

// needle's first occurrence in text at or after from, or -1. An empty needle is found at from
// (when from lies within the text or at its end), as Qt finds it. from is not counted from the
// end when negative (as Qt does): a negative from is 0.
inline qsizetype FindText(QStringView text, QStringView needle, qsizetype from = 0) {
    const qsizetype n = needle.size();
    if (from < 0) from = 0;
    if (n == 0) return from <= text.size() ? from : -1;
    const QChar first = needle.front();
    for (;;) {
        const qsizetype at = FindChar(text, first, from);
        if (at < 0 || at > text.size() - n) return -1;
        if (std::memcmp(text.data() + at + 1, needle.data() + 1, size_t(n - 1) * sizeof(QChar)) == 0)
            return at;
        from = at + 1;
    }
}

inline bool ContainsText(QStringView text, QStringView needle) {
    return FindText(text, needle) >= 0;
}

// Takes every occurrence out of text in place: the first at index first, the next ones as
// find(view, from) reports them (-1 when there are no more), each n characters long. What is
// still to be searched always lies after everything kept so far, untouched.
template <typename Find> inline void RemoveFound(QString& text, qsizetype first, qsizetype n, Find find) {
    QChar* d = text.data(); // the only detach, and only when there is something to take out
    const qsizetype size = text.size();
    qsizetype dst = first;
    qsizetype src = first + n;
    while (src < size) {
        const qsizetype hit = find(QStringView(d, size), src);
        const qsizetype stop = hit < 0 ? size : hit;
        std::memmove(d + dst, d + src, size_t(stop - src) * sizeof(QChar));
        dst += stop - src;
        if (hit < 0) break;
        src = hit + n;
    }
    text.truncate(dst);
}

// Every occurrence of needle taken out of text, found left to right in the text as it was (a
// needle that the removal joins together stays): QString::remove(needle, Qt::CaseSensitive).
inline void RemoveText(QString& text, QStringView needle) {
    const qsizetype n = needle.size();
    if (n == 0) return;
    const qsizetype hit = FindText(text, needle);
    if (hit < 0) return;
    RemoveFound(text, hit, n,
                [needle](QStringView view, qsizetype from) { return FindText(view, needle, from); });
}
