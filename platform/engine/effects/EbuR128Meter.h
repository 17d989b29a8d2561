#pragma once

#include "platform/engine/effects/FloatAudioFormat.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace sonvale::effects {

// One libebur128 measurement over a sample stream; owns its state. Integrated loudness is kept in
// histogram form, so memory stays fixed however long the stream is.
class EbuR128Meter final {
public:
    enum Measure : unsigned {
        IntegratedLoudness = 1u << 0,
        TruePeak = 1u << 1,
        WindowLoudness = 1u << 2, // loudness of the latest 400 ms or less
    };

    // Null when libebur128 cannot measure this format.
    static std::unique_ptr<EbuR128Meter> create(const FloatAudioFormat& format, unsigned measures);
    ~EbuR128Meter();
    EbuR128Meter(const EbuR128Meter&) = delete;
    EbuR128Meter& operator=(const EbuR128Meter&) = delete;

    void add(const double* frames, std::int64_t frameCount);

    // LUFS; none when the stream holds nothing above the gates (silence, or under 400 ms).
    std::optional<double> integratedLoudness() const;
    // LUFS of the latest windowMs (at most 400) of the stream; none when that is silent.
    std::optional<double> windowLoudness(unsigned windowMs) const;
    // Largest 4x oversampled peak over the channels (amplitude, 1 is full scale).
    double truePeak() const;

private:
    struct State; // the libebur128 state, whose type its header leaves unnamed

    EbuR128Meter(std::unique_ptr<State> state, int channels);

    std::unique_ptr<State> state_;
    int channels_;
};

} // namespace sonvale::effects
