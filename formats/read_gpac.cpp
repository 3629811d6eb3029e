// GPAC timed text (3GPP text streams as XML): a header describing the text box and fonts, then
// "<TextSample>" elements, each shown from its sample time until the next sample's. A caption
// ends at an empty sample, or at the next caption where tools chain the samples. The text stands
// in the element (its line ends are the caption's lines) or in a "text" attribute, each line in
// single quotes.
#include "formats/markupcaptions.h"

namespace {

enum Kind { kOther, kRoot, kHeader, kSample, kModifier, kIgnored };

class GpacGrammar final : public tMarkupCaptions {
public:
    GpacGrammar() : tMarkupCaptions(tLineEnds::Break) {}

private:
    int Opened(tCaptionReader& r, const tMarkupTag& tag) override {
        if (Within(kIgnored)) return kIgnored;
        if (Within(kSample)) return Modifier(r, tag);
        if (Within(kHeader) || tag.Is("TextStreamHeader")) {
            Header(r, tag, kLeftHeader);
            return kHeader;
        }
        if (tag.Is("TextStream")) {
            Header(r, tag, kLeftHeader);
            return kRoot;
        }
        if (tag.Is("TextSample")) {
            OpenSample(tag);
            return kSample;
        }
        NotReadTag(r, tag);
        return kIgnored;
    }

    void OpenSample(const tMarkupTag& tag) {
        std::optional<int64_t> start;
        QStringView text;
        bool hasText = false;
        ForEachMarkupAttribute(tag.attributes, [&](QStringView name, QStringView value) {
            if (name.compare(QLatin1String("sampleTime"), Qt::CaseInsensitive) == 0) {
                start = MarkupClockTime(value);
            } else if (name == u"text") {
                text = value;
                hasText = true;
            }
        });
        BeginCaption(start, std::nullopt);
        if (!hasText) return;
        // 'first line' 'second line'; a value without quotes is the text as it stands.
        if (!text.contains(u'\'')) {
            AddText(text);
            return;
        }
        for (qsizetype open = text.indexOf(u'\''); open >= 0;) {
            qsizetype close = text.indexOf(u'\'', open + 1);
            if (close < 0) close = text.size();
            AddText(text.sliced(open + 1, close - open - 1));
            AddBreak();
            open = close + 1 < text.size() ? text.indexOf(u'\'', close + 1) : -1;
        }
    }

    // The modifiers a sample may hold: styles, boxes and effects on part of its text.
    int Modifier(tCaptionReader& r, const tMarkupTag& tag) {
        const struct {
            const char* name;
            uint32_t leftOut;
        } kModifiers[] = {{"Style", kLeftInlineStyles},  {"TextBox", kLeftPositions},
                          {"Karaoke", kLeftInlineTimes}, {"KaraokeRange", kLeftInlineTimes},
                          {"Highlight", kLeftEffects},   {"HighlightColor", kLeftEffects},
                          {"Blinking", kLeftEffects},    {"HyperLink", kLeftEffects},
                          {"ScrollDelay", kLeftEffects}, {"Wrap", kLeftPositions}};
        if (tag.Is("br")) {
            AddBreak();
            return kModifier;
        }
        for (const auto& m : kModifiers) {
            if (!tag.Is(m.name)) continue;
            r.leftOut |= m.leftOut;
            return kModifier;
        }
        NotReadTag(r, tag);
        return kIgnored;
    }

    void Closed(tCaptionReader& r, int kind) override {
        if (kind == kSample) EndCaption(r);
    }

    void Text(tCaptionReader& r, QStringView run) override {
        if (Within(kIgnored)) return;
        if (Within(kSample))
            AddText(run);
        else if (Within(kHeader))
            HeaderText(r, run, kLeftHeader);
        else
            NotReadText(r, run);
    }
};

} // namespace

void ReadGpacText(tCaptionReader& r, QStringView piece, bool lineEnds) {
    MarkupGrammarOf<GpacGrammar>(r).Feed(r, piece, lineEnds);
}

void FinishGpacText(tCaptionReader& r) {
    FinishMarkupGrammar<GpacGrammar>(r);
}
