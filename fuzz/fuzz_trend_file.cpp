// A recording opened in the trend window may be anything: a file cut short, edited by hand,
// of another program, or no text at all. Whatever it holds, reading it never fails, a
// rejected file says why and yields nothing, and the result does not depend on how the file
// happens to arrive in pieces.
#include "FuzzSupport.h"
#include "TrendFile.h"

#include <cmath>
#include <cstring>
#include <fuzzer/FuzzedDataProvider.h>

namespace {

bool sameSamples(const std::vector<TrendSample> &a, const std::vector<TrendSample> &b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t k = 0; k < a.size(); ++k) {
        if (a[k].msecsSinceEpoch != b[k].msecsSinceEpoch || a[k].gapBefore != b[k].gapBefore ||
            std::memcmp(a[k].values.data(), b[k].values.data(), sizeof a[k].values) != 0)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::size_t piece = input.ConsumeIntegralInRange<std::size_t>(1, 97);
    const std::string text = input.ConsumeRemainingBytesAsString();

    const TrendRecording whole = readTrendText(QByteArrayView(text.data(), qsizetype(text.size())));
    TrendFileReader reader;
    for (std::size_t at = 0; at < text.size() && !reader.done(); at += piece)
        reader.feed(QByteArrayView(text.data() + at, qsizetype(std::min(piece, text.size() - at))));
    const TrendRecording pieces = reader.finish();

    FUZZ_CHECK(whole.error == pieces.error);
    FUZZ_CHECK(whole.captions == pieces.captions);
    FUZZ_CHECK(whole.skippedRows == pieces.skippedRows);
    FUZZ_CHECK(whole.truncated == pieces.truncated);
    FUZZ_CHECK(sameSamples(whole.samples, pieces.samples));
    if (!whole.error.isEmpty())
        FUZZ_CHECK(whole.samples.empty() && whole.skippedRows == 0);
    FUZZ_CHECK(whole.skippedRows >= 0);
    // Nothing is made up: every sample is a row of the text.
    FUZZ_CHECK(qsizetype(whole.samples.size()) <= qsizetype(text.size()) / 80 + 1);
    return 0;
}
