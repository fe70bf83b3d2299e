// Base64 throughput of the library against OpenSSL's block functions, on
// 1 MiB and 64 MiB of random bytes. Each side is measured twice: writing
// into a buffer allocated once, and returning a freshly allocated result
// as the public members do. Decoding text with line breaks (the library's
// own output) also runs against a table-driven scalar decoder of about
// thirty lines (anchors/base64.c), round by round in the same run.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "anchors/anchors.h"
#include "common/paired.h"
#include "text/base64.h"

namespace {

std::vector<uint8_t> randomBytes(int64_t size) {
  std::mt19937_64 generator(42);
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  for (auto& b : bytes) b = static_cast<uint8_t>(generator());
  return bytes;
}

// OpenSSL's block encoder writes no line breaks and a terminating NUL.
size_t openSslEncodedLength(size_t size) {
  return (size + 2) / 3 * 4 + 1;
}

std::vector<unsigned char> openSslText(const std::vector<uint8_t>& bytes) {
  std::vector<unsigned char> text(openSslEncodedLength(bytes.size()));
  const int n = EVP_EncodeBlock(text.data(), bytes.data(), static_cast<int>(bytes.size()));
  text.resize(static_cast<size_t>(n));
  return text;
}

void countBytes(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

void BM_EncodeIntoBuffer_Library(benchmark::State& state) {
  const auto bytes = randomBytes(state.range(0));
  std::string text(qxvb::base64EncodedLength(bytes.size()), '\0');
  for (auto _ : state) {
    qxvb::encodeBase64To(bytes.data(), bytes.size(), text.data());
    benchmark::ClobberMemory();
  }
  countBytes(state);
}

void BM_EncodeIntoBuffer_OpenSsl(benchmark::State& state) {
  const auto bytes = randomBytes(state.range(0));
  std::vector<unsigned char> text(openSslEncodedLength(bytes.size()));
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        EVP_EncodeBlock(text.data(), bytes.data(), static_cast<int>(bytes.size())));
    benchmark::ClobberMemory();
  }
  countBytes(state);
}

void BM_EncodeNewResult_Library(benchmark::State& state) {
  const auto bytes = randomBytes(state.range(0));
  for (auto _ : state) {
    std::string text = qxvb::encodeBase64(bytes.data(), bytes.size());
    benchmark::DoNotOptimize(text.data());
  }
  countBytes(state);
}

void BM_EncodeNewResult_OpenSsl(benchmark::State& state) {
  const auto bytes = randomBytes(state.range(0));
  for (auto _ : state) {
    std::string text(openSslEncodedLength(bytes.size()), '\0');
    benchmark::DoNotOptimize(EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()),
                                             bytes.data(), static_cast<int>(bytes.size())));
    benchmark::DoNotOptimize(text.data());
  }
  countBytes(state);
}

// The library decodes its own output, line breaks included; OpenSSL's
// block decoder takes no line breaks, so it gets the text without them.
void BM_DecodeIntoBuffer_Library(benchmark::State& state) {
  const auto bytes = randomBytes(state.range(0));
  const std::string text = qxvb::encodeBase64(bytes.data(), bytes.size());
  std::vector<uint8_t> decoded(qxvb::base64DecodedCapacity(text.size()));
  for (auto _ : state) {
    benchmark::DoNotOptimize(qxvb::decodeBase64To(text, decoded.data()));
    benchmark::ClobberMemory();
  }
  countBytes(state);
}

void BM_DecodeIntoBuffer_OpenSsl(benchmark::State& state) {
  const auto bytes = randomBytes(state.range(0));
  const auto text = openSslText(bytes);
  std::vector<unsigned char> decoded(bytes.size() + 3);
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        EVP_DecodeBlock(decoded.data(), text.data(), static_cast<int>(text.size())));
    benchmark::ClobberMemory();
  }
  countBytes(state);
}

void BM_DecodeNewResult_Library(benchmark::State& state) {
  const auto bytes = randomBytes(state.range(0));
  const std::string text = qxvb::encodeBase64(bytes.data(), bytes.size());
  for (auto _ : state) {
    std::vector<uint8_t> decoded = qxvb::decodeBase64(text);
    benchmark::DoNotOptimize(decoded.data());
  }
  countBytes(state);
}

void BM_DecodeNewResult_OpenSsl(benchmark::State& state) {
  const auto bytes = randomBytes(state.range(0));
  const auto text = openSslText(bytes);
  for (auto _ : state) {
    std::vector<unsigned char> decoded(text.size() / 4 * 3);
    benchmark::DoNotOptimize(
        EVP_DecodeBlock(decoded.data(), text.data(), static_cast<int>(text.size())));
    benchmark::DoNotOptimize(decoded.data());
  }
  countBytes(state);
}

void BM_DecodeLines_LibraryVsScalar(benchmark::State& state) {
  const auto bytes = randomBytes(state.range(0));
  const std::string text = qxvb::encodeBase64(bytes.data(), bytes.size());
  std::vector<uint8_t> decoded(qxvb::base64DecodedCapacity(text.size()));
  if (anchorDecodeBase64(text.data(), text.size(), decoded.data()) != bytes.size() ||
      !std::equal(bytes.begin(), bytes.end(), decoded.begin())) {
    state.SkipWithError("the scalar decoder does not decode the library's text");
    return;
  }
  constexpr int kRepeats = 20;
  const qxvb::bench::Side library{
      nullptr, [&] {
        for (int i = 0; i < kRepeats; ++i) {
          benchmark::DoNotOptimize(qxvb::decodeBase64To(text, decoded.data()));
          benchmark::ClobberMemory();
        }
      }};
  const qxvb::bench::Side anchor{
      nullptr, [&] {
        for (int i = 0; i < kRepeats; ++i) {
          benchmark::DoNotOptimize(anchorDecodeBase64(text.data(), text.size(), decoded.data()));
          benchmark::ClobberMemory();
        }
      }};
  qxvb::bench::measurePaired(state, library, anchor);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0) * kRepeats);
}

// As the member answers: a new result each time (the scalar decoder's
// buffer is allocated the same way, uninitialised bytes left to it).
void BM_DecodeLinesNewResult_LibraryVsScalar(benchmark::State& state) {
  const auto bytes = randomBytes(state.range(0));
  const std::string text = qxvb::encodeBase64(bytes.data(), bytes.size());
  constexpr int kRepeats = 20;
  const qxvb::bench::Side library{nullptr, [&] {
                                    for (int i = 0; i < kRepeats; ++i) {
                                      std::vector<uint8_t> decoded = qxvb::decodeBase64(text);
                                      benchmark::DoNotOptimize(decoded.data());
                                    }
                                  }};
  const qxvb::bench::Side anchor{
      nullptr, [&] {
        for (int i = 0; i < kRepeats; ++i) {
          std::unique_ptr<uint8_t[]> decoded(new uint8_t[text.size() / 4 * 3 + 3]);
          benchmark::DoNotOptimize(anchorDecodeBase64(text.data(), text.size(), decoded.get()));
        }
      }};
  qxvb::bench::measurePaired(state, library, anchor);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0) * kRepeats);
}

constexpr int64_t kOneMiB = int64_t{1} << 20;
constexpr int64_t kSixtyFourMiB = int64_t{64} << 20;

}  // namespace

BENCHMARK(BM_EncodeIntoBuffer_Library)->Arg(kOneMiB)->Arg(kSixtyFourMiB);
BENCHMARK(BM_EncodeIntoBuffer_OpenSsl)->Arg(kOneMiB)->Arg(kSixtyFourMiB);
BENCHMARK(BM_EncodeNewResult_Library)->Arg(kOneMiB)->Arg(kSixtyFourMiB);
BENCHMARK(BM_EncodeNewResult_OpenSsl)->Arg(kOneMiB)->Arg(kSixtyFourMiB);
BENCHMARK(BM_DecodeIntoBuffer_Library)->Arg(kOneMiB)->Arg(kSixtyFourMiB);
BENCHMARK(BM_DecodeIntoBuffer_OpenSsl)->Arg(kOneMiB)->Arg(kSixtyFourMiB);
BENCHMARK(BM_DecodeNewResult_Library)->Arg(kOneMiB)->Arg(kSixtyFourMiB);
BENCHMARK(BM_DecodeNewResult_OpenSsl)->Arg(kOneMiB)->Arg(kSixtyFourMiB);
BENCHMARK(BM_DecodeLines_LibraryVsScalar)->Arg(kOneMiB)->UseManualTime()->Iterations(15);
BENCHMARK(BM_DecodeLinesNewResult_LibraryVsScalar)->Arg(kOneMiB)->UseManualTime()->Iterations(15);

BENCHMARK_MAIN();
