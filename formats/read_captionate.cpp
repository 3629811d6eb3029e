// Captionate XML: a header of tracks and speakers, then "<caption time=ms>" elements whose first
// track holds the text. A caption ends at an empty caption, or at the next caption where tools
// chain them. The text's line ends are the caption's lines.
#include "formats/markupcaptions.h"

namespace {

enum Kind { kOther, kRoot, kInfo, kCaptions, kCaption, kTracks, kFirstTrack, kOtherTrack, kInline, kIgnored };

class CaptionateGrammar final : public tMarkupCaptions {
public:
    CaptionateGrammar() : tMarkupCaptions(tLineEnds::Break) {}

private:
    static bool IsTrack(const tMarkupTag& tag) {
        if (tag.name.size() < 6 || !tag.name.startsWith(QLatin1String("track"), Qt::CaseInsensitive))
            return false;
        for (const QChar c : tag.name.sliced(5))
            if (!c.isDigit()) return false;
        return true;
    }

    int Opened(tCaptionReader& r, const tMarkupTag& tag) override {
        if (Within(kIgnored) || Within(kOtherTrack)) return kIgnored;
        if (Within(kCaption)) return InCaption(r, tag);
        if (Within(kInfo) || tag.Is("captioninfo")) {
            Header(r, tag, kLeftHeader);
            return kInfo;
        }
        if (tag.Is("captionate") || tag.Is("captions")) {
            Header(r, tag, kLeftHeader);
            return tag.Is("captions") ? kCaptions : kRoot;
        }
        if (tag.Is("caption")) {
            std::optional<int64_t> start;
            ForEachMarkupAttribute(tag.attributes, [&](QStringView name, QStringView value) {
                if (name == u"time") start = MarkupMilliseconds(value);
            });
            BeginCaption(start, std::nullopt);
            return kCaption;
        }
        NotReadTag(r, tag);
        return kIgnored;
    }

    int InCaption(tCaptionReader& r, const tMarkupTag& tag) {
        if (Within(kFirstTrack)) {
            if (tag.Is("br")) {
                AddBreak();
                return kInline;
            }
            r.leftOut |= kLeftInlineStyles;
            return kInline;
        }
        if (tag.Is("tracks")) return kTracks;
        if (IsTrack(tag)) {
            if (tag.name.endsWith(u'0') && tag.name.size() == 6) return kFirstTrack;
            otherTrack_.clear();
            return kOtherTrack;
        }
        NotReadTag(r, tag);
        return kIgnored;
    }

    void Closed(tCaptionReader& r, int kind) override {
        if (kind == kCaption) EndCaption(r);
        // The other tracks (other languages) are not read: named if they hold text.
        if (kind == kOtherTrack && !IsBlank(otherTrack_)) r.NotRead(otherTrack_);
    }

    void Text(tCaptionReader& r, QStringView run) override {
        if (Within(kIgnored)) return;
        if (Within(kFirstTrack))
            AddText(run);
        else if (Within(kOtherTrack) && otherTrack_.size() < 256 && !IsBlank(run))
            otherTrack_ += run; // enough to name it by
        else if (Within(kInfo))
            HeaderText(r, run, kLeftHeader);
        else
            NotReadText(r, run);
    }

    QString otherTrack_;
};

} // namespace

void ReadCaptionate(tCaptionReader& r, QStringView piece, bool lineEnds) {
    MarkupGrammarOf<CaptionateGrammar>(r).Feed(r, piece, lineEnds);
}

void FinishCaptionate(tCaptionReader& r) {
    FinishMarkupGrammar<CaptionateGrammar>(r);
}
