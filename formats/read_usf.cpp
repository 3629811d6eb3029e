// USF (Universal Subtitle Format): an XML document of "<subtitle>" elements, each with a start
// and a stop or a duration (in either order) and one or more "<text>" elements, which may carry
// their own alignment and style. Tools write the elements on lines of their own, on one line, or
// the whole document on one; a subtitle without a stop or a duration shows until the next one.
#include "formats/markupcaptions.h"

namespace {

enum Kind {
    kOther,
    kRoot,
    kMetadata,
    kStyles,
    kSubtitles,
    kSubtitle,
    kText,
    kBold,
    kItalic,
    kUnderline,
    kInline,
    kIgnored
};

class UsfGrammar final : public tMarkupCaptions {
public:
    UsfGrammar() : tMarkupCaptions(tLineEnds::Blank) {}

private:
    int Opened(tCaptionReader& r, const tMarkupTag& tag) override {
        if (Within(kIgnored)) return kIgnored;
        if (Within(kSubtitle)) return InSubtitle(r, tag);
        if (Within(kMetadata)) {
            Header(r, tag, kLeftHeader);
            return kMetadata;
        }
        if (Within(kStyles)) {
            Header(r, tag, kLeftStyles);
            return kStyles;
        }
        if (tag.Is("subtitle")) {
            OpenSubtitle(r, tag);
            return kSubtitle;
        }
        const struct {
            const char* name;
            Kind kind;
            uint32_t leftOut;
        } kKnown[] = {{"USFSubtitles", kRoot, kLeftHeader},   {"metadata", kMetadata, kLeftHeader},
                      {"styles", kStyles, kLeftStyles},       {"effects", kStyles, kLeftStyles},
                      {"subtitles", kSubtitles, kLeftHeader}, {"language", kMetadata, kLeftHeader}};
        for (const auto& k : kKnown) {
            if (!tag.Is(k.name)) continue;
            Header(r, tag, k.leftOut);
            return k.kind;
        }
        NotReadTag(r, tag);
        return kIgnored;
    }

    void OpenSubtitle(tCaptionReader& r, const tMarkupTag& tag) {
        std::optional<int64_t> start, stop, duration;
        bool unreadable = false;
        ForEachMarkupAttribute(tag.attributes, [&](QStringView name, QStringView value) {
            std::optional<int64_t>* time = name == u"start"      ? &start
                                           : name == u"stop"     ? &stop
                                           : name == u"duration" ? &duration
                                                                 : nullptr;
            if (time) {
                *time = MarkupClockTime(value);
                unreadable = unreadable || !*time;
            } else if (name == u"style") {
                r.leftOut |= kLeftStyles;
            }
        });
        // A time given but not readable: the caption cannot be read whole.
        if (unreadable) start.reset();
        if (!stop && duration && start) stop = *start + *duration;
        BeginCaption(start, stop);
    }

    int InSubtitle(tCaptionReader& r, const tMarkupTag& tag) {
        if (Within(kText)) {
            if (tag.Is("br")) {
                AddBreak();
                return kInline;
            }
            for (const auto& [name, kind] : {std::pair{"b", kBold}, {"i", kItalic}, {"u", kUnderline}}) {
                if (!tag.Is(name)) continue;
                AddStyle(r, QChar(name[0]), false);
                return kind;
            }
            // Fonts, colours and karaoke syllables: the text is read, its look within the caption
            // is not kept.
            r.leftOut |= tag.Is("k") ? kLeftInlineTimes : kLeftInlineStyles;
            return kInline;
        }
        if (tag.Is("text") || tag.Is("karaoke")) {
            if (tag.Is("karaoke")) r.leftOut |= kLeftInlineTimes;
            ForEachMarkupAttribute(tag.attributes, [&](QStringView name, QStringView) {
                if (name == u"style")
                    r.leftOut |= kLeftStyles;
                else if (name != u"space")
                    r.leftOut |= kLeftPositions;
            });
            // Each text element shows on a line of its own.
            AddBreak();
            return kText;
        }
        if (tag.Is("br")) {
            AddBreak();
            return kInline;
        }
        if (tag.Is("image") || tag.Is("shape")) {
            r.leftOut |= kLeftEmbedded;
            return kIgnored;
        }
        NotReadTag(r, tag);
        return kIgnored;
    }

    void Closed(tCaptionReader& r, int kind) override {
        switch (kind) {
        case kSubtitle:
            EndCaption(r);
            break;
        case kText:
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
        if (Within(kSubtitle))
            AddText(run);
        else if (Within(kMetadata))
            HeaderText(r, run, kLeftHeader);
        else if (Within(kStyles))
            HeaderText(r, run, kLeftStyles);
        else
            NotReadText(r, run);
    }
};

} // namespace

void ReadUsf(tCaptionReader& r, QStringView piece, bool lineEnds) {
    MarkupGrammarOf<UsfGrammar>(r).Feed(r, piece, lineEnds);
}

void FinishUsf(tCaptionReader& r) {
    FinishMarkupGrammar<UsfGrammar>(r);
}
