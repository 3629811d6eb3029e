// The start-up worker ends whenever it is told to, wherever it is, and takes the fonts handed
// to it only while it runs.
#include "app/ui/startupwarmup.h"
#include "platform/ui/FontWarmUp.h"

#include <QFont>

#include <gtest/gtest.h>

TEST(StartupWarmUp, EndsInEveryOrderOfItsSteps) {
    const QFont font(QStringLiteral("A family that is not installed"), 13);
    // Gone before the application was ready (it could not start).
    { StartupWarmUp warmUp; }
    // Fonts handed over before and after it is ready, then gone without Finish().
    {
        StartupWarmUp warmUp;
        WarmUpFont(font);
        warmUp.AppReady();
        WarmUpFont(font);
    }
    // Finished first; fonts handed over afterwards go nowhere.
    {
        StartupWarmUp warmUp;
        warmUp.AppReady();
        warmUp.Finish();
        WarmUpFont(font);
    }
    // Without a worker, handing over a font does nothing.
    WarmUpFont(font);
    SUCCEED();
}
