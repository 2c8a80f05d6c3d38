// Arbitrary reply bytes against the exchange and every decoder above it: identification, the refresh lists,
// the registers, the number conversions and the JSON the command-line tool prints. The line answers every
// read with the next bytes of the input, in pieces and with read endings the input chooses.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "cli/Json.h"
#include "cli/UnitFields.h"
#include "ups/AnswerConversions.h"
#include "ups/UpsLink.h"

namespace {

using namespace kelvane;

class FuzzLine final : public SerialLine {
  public:
    explicit FuzzLine(FuzzedDataProvider& input) : input_(input) {}

    bool WriteByte(uint8_t) override { return input_.remaining_bytes() == 0 || input_.ConsumeBool(); }
    void PurgeInput() override {}
    ReadResult Read(uint8_t* buf, std::size_t k, bool, bool) override {
        if (input_.remaining_bytes() == 0) return {0, ReadEnd::Total};
        const auto bytes = input_.ConsumeBytes<uint8_t>(input_.ConsumeIntegralInRange<std::size_t>(0, k));
        if (!bytes.empty()) std::memcpy(buf, bytes.data(), bytes.size());
        ReadResult result;
        result.Count = bytes.size();
        // A misbehaving driver may claim more than it delivered; the link must not believe it.
        if (input_.ConsumeProbability<float>() < 0.02f) result.Count += input_.ConsumeIntegral<uint16_t>();
        result.End = static_cast<ReadEnd>(input_.ConsumeIntegralInRange<int>(0, 4));
        return result;
    }
    void SetTimeouts(const Timeouts&) override {}
    bool Close() override { return true; }
    std::string LastError() const override { return "fuzzed failure"; }

  private:
    FuzzedDataProvider& input_;
};

class NoSleep final : public Sleeper {
  public:
    void SleepMs(uint32_t) override {}
};

void Require(bool condition) {
    if (!condition) __builtin_trap();
}

// Reply is zero-terminated right after the answer and holds no zero byte of its own.
void CheckReply(const UpsLink& link, std::string_view answer) {
    Require(answer.size() < link.Reply.size());
    Require(answer.data() == link.Reply.data());
    Require(std::strlen(link.Reply.data()) == answer.size());
}

// Whatever the unit sent, the tool's output is plain printable ASCII.
void CheckJson(const std::string& json) {
    for (const char c : json) Require(c >= 0x20 && c <= 0x7E);
}

void CheckOutput(const UpsLink& link) {
    cli::JsonObject identification;
    cli::AddIdentification(identification, link);
    CheckJson(identification.Str());
    cli::JsonObject poll;
    cli::AddPollReadings(poll, link);
    CheckJson(poll.Str());
}

void Conversions(FuzzedDataProvider& input) {
    const std::string text = input.ConsumeRandomLengthString(64);
    const double decimal = ParseDecimal(text);
    Require(!std::isnan(decimal));
    (void)ParseInteger(text);
    if (const auto byte = ParseHexByte(text)) Require(text.size() >= 2);
    (void)TruncateTo<uint16_t>(decimal);
    (void)TruncateTo<int16_t>(decimal);
    (void)TruncateTo<long long>(decimal);
    (void)ToFloat(decimal);
    CheckJson(cli::JsonString(text));
    CheckJson(cli::JsonNumber(input.ConsumeFloatingPoint<float>()));
    CheckJson(cli::JsonFixed(input.ConsumeFloatingPoint<double>(), 1));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    NoSleep sleeper;
    UpsLink link([&input](const std::string&, std::string*) { return std::make_unique<FuzzLine>(input); },
                 &sleeper);
    link.EarlyCompletion = input.ConsumeBool();
    Require(link.OpenPort("COM1"));

    switch (input.ConsumeIntegralInRange<int>(0, 3)) {
        case 0:
            // A connection as the window and the tool make it.
            if (link.CheckSmartMode() && link.Identify()) {
                link.RefreshPoll();
                link.RefreshRegisters();
                link.CheckSmartMode();
            }
            link.SendCloseCommand();
            break;
        case 1: {
            // Every family's lists with whatever flags, not only those identification would reach.
            link.Family = input.ConsumeBool() ? input.ConsumeIntegralInRange<int16_t>(0, 4)
                                              : input.ConsumeIntegral<int16_t>();
            const auto flags = input.ConsumeIntegral<uint16_t>();
            link.ThirdGen = flags & 1;
            link.SurtModel = flags & 2;
            link.ScModel = flags & 4;
            link.SmallModel = flags & 8;
            link.AprogMode = flags & 16;
            link.ScRackModel = flags & 32;
            link.RatedPower = input.ConsumeFloatingPoint<float>();
            link.WattsPerPercent = input.ConsumeFloatingPoint<float>();
            link.ReadModel();
            link.RefreshAll();
            link.RefreshPoll();
            link.RefreshRegisters();
            link.ReadFirmware();
            break;
        }
        case 2:
            while (input.remaining_bytes() > 0) {
                const auto command = input.ConsumeIntegral<uint8_t>();
                const auto length = input.ConsumeIntegralInRange<std::size_t>(0, 1200);
                CheckReply(link, input.ConsumeBool() ? link.ExchangeRaw(command, length)
                                                     : link.Exchange(command, length));
            }
            break;
        default:
            while (input.remaining_bytes() > 0) Conversions(input);
            break;
    }
    CheckReply(link, link.ReplyText());
    CheckOutput(link);
    link.ClosePort();
    return 0;
}
