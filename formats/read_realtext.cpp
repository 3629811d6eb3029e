// RealText: markup in a "<window>", where "<time begin=... end=.../>" times the text after it,
// up to the next time tag. Tools write the end or leave it out (the text then shows until the
// next begin), and times as clock times or bare seconds ("1.5", "12").
#include "formats/markupcaptions.h"

namespace {

enum Kind { kOther, kWindow, kTime, kBold, kItalic, kUnderline, kBlock, kInline, kIgnored };

class RealTextGrammar final : public tMarkupCaptions {
public:
    RealTextGrammar() : tMarkupCaptions(tLineEnds::Blank) {}

private:
    int Opened(tCaptionReader& r, const tMarkupTag& tag) override {
        if (Within(kIgnored)) return kIgnored;
        if (tag.Is("window")) {
            EndCaption(r);
            Header(r, tag, kLeftHeader);
            return kWindow;
        }
        if (tag.Is("time")) {
            EndCaption(r);
            std::optional<int64_t> begin, end;
            bool unreadable = false;
            ForEachMarkupAttribute(tag.attributes, [&](QStringView name, QStringView value) {
                std::optional<int64_t>* time = name == u"begin" ? &begin : name == u"end" ? &end : nullptr;
                if (!time) return;
                *time = MarkupClockTime(value);
                unreadable = unreadable || !*time;
            });
            if (unreadable) begin.reset();
            BeginCaption(begin, end);
            return kTime;
        }
        if (tag.Is("clear") || tag.Is("required")) return kOther;
        if (tag.Is("br")) {
            AddBreak();
            return kInline;
        }
        for (const auto& [name, kind] : {std::pair{"b", kBold}, {"i", kItalic}, {"u", kUnderline}}) {
            if (!tag.Is(name)) continue;
            AddStyle(r, QChar(name[0]), false);
            return kind;
        }
        for (const char* name : {"font", "s", "a"}) {
            if (!tag.Is(name)) continue;
            r.leftOut |= kLeftInlineStyles;
            return kInline;
        }
        for (const char* name : {"p", "center", "pre", "li", "ol", "ul", "hr", "pos", "tl", "tu"}) {
            if (!tag.Is(name)) continue;
            r.leftOut |= kLeftPositions;
            AddBreak();
            return kBlock;
        }
        NotReadTag(r, tag);
        return kIgnored;
    }

    void Closed(tCaptionReader& r, int kind) override {
        switch (kind) {
        case kWindow:
            EndCaption(r);
            break;
        case kBlock:
            AddBreak();
            break;
        case kBold:
        case kItalic:
        case kUnderline:
            AddStyle(r, kind == kBold ? u'b' : kind == kItalic ? u'i' : u'u', true);
            break;
        default:
            break;
        }
    }

    void Text(tCaptionReader& r, QStringView run) override {
        if (Within(kIgnored)) return;
        if (InCaption())
            AddText(run);
        else
            NotReadText(r, run);
    }

    // The last caption's text runs to the end of the file.
    void AtEnd(tCaptionReader& r) override { EndCaption(r); }
};

} // namespace

void ReadRealText(tCaptionReader& r, QStringView piece, bool lineEnds) {
    MarkupGrammarOf<RealTextGrammar>(r).Feed(r, piece, lineEnds);
}

void FinishRealText(tCaptionReader& r) {
    FinishMarkupGrammar<RealTextGrammar>(r);
}
