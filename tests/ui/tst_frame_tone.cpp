// The feedback tone: the samples it plays, and the silent fallback that holds the caller just as long.
#include <QtTest>
#include <cstdlib>
#include <vector>

#include "ui/SystemTone.h"
#include "ups/Sleeper.h"

using namespace kelvane;

namespace {

class RecordingSleeper final : public Sleeper {
  public:
    std::vector<std::uint32_t> Pauses;
    void SleepMs(std::uint32_t ms) override { Pauses.push_back(ms); }
};

}  // namespace

class ToneTest : public QObject {
    Q_OBJECT
  private slots:
    void samplesAreTheToneAtItsLength();
    void withoutADeviceTheCallerIsHeldForTheToneLength();
};

void ToneTest::samplesAreTheToneAtItsLength() {
    const auto samples = SystemTone::Samples(SystemTone::SampleRate, ToneFrequencyHz, ToneDurationMs);
    QCOMPARE(samples.size(), std::size_t{SystemTone::SampleRate * ToneDurationMs / 1000});

    // A sine crosses zero twice per period: 2000 Hz for 0.5 s gives 2000 crossings.
    int crossings = 0;
    int peak = 0;
    for (std::size_t i = 1; i < samples.size(); ++i) {
        if ((samples[i - 1] < 0) != (samples[i] < 0)) ++crossings;
        peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
    }
    QVERIFY2(std::abs(crossings - 2000) <= 2, qPrintable(QString::number(crossings)));
    QVERIFY(peak > 12000 && peak < 32767);
    // Faded in and out, so the speaker does not click.
    QCOMPARE(samples.front(), std::int16_t{0});
    QVERIFY(std::abs(static_cast<int>(samples.back())) < 100);
}

void ToneTest::withoutADeviceTheCallerIsHeldForTheToneLength() {
    RecordingSleeper waits;
    SystemTone tone(waits, "kelvane-no-such-output");
    tone.Beep();
    tone.Beep();
    QVERIFY(!tone.LastBeepAudible());
    QCOMPARE(waits.Pauses, (std::vector<std::uint32_t>{ToneDurationMs, ToneDurationMs}));
}

QTEST_GUILESS_MAIN(ToneTest)
#include "tst_frame_tone.moc"
