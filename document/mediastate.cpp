#include "document/mediastate.h"

#include "base/processstate.h"

QString gVideoFile;
QString gWaveFile;
uint8_t gAudioChoice = 0;
bool gWasPlaying = false;
bool gClosing = false;
bool gStopWave = false;

namespace {

void ResetMediaState() {
    gVideoFile.clear();
    gWaveFile.clear();
    gAudioChoice = 0;
    gWasPlaying = false;
    gClosing = false;
    gStopWave = false;
}
SCRIVELLE_REGISTER_RESET(ResetMediaState);

} // namespace
