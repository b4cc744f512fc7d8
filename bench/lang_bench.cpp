// The catalogue at its capacity: loading 10000 entries, the lookups of one pass over the
// window's texts, and a whole ApplyWindowTexts pass (which reloads the catalogue first).
#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/MainF.h"
#include "lang/Lang.h"
#include "lang/Texts.h"
#include "lang/Utf16Ini.h"
#include "platform/Text.h"

namespace {

// 10000 entries; the program's own texts come last, so each lookup scans nearly everything.
std::string WriteFullCatalogue() {
    const std::string path = (std::filesystem::temp_directory_path() / "kd4410-bench-catalogue.uni").string();
    std::u16string text = u"\uFEFF";
    const size_t own = std::size(text::All);
    for (size_t i = 0; i + own < lang::MaxCatalogueEntries; ++i) {
        const std::string n = std::to_string(i);
        const std::u16string number(n.begin(), n.end());
        text += u"Some English text of the catalogue, number " + number + u"; Přeložený text katalogu číslo " +
                number + u"\r\n";
    }
    for (std::u16string_view english : text::All) text += std::u16string(english) + u"; [" + std::u16string(english) + u"]\r\n";
    std::ofstream(path, std::ios::binary) << lang::EncodeUtf16Le(text);
    return path;
}

void UseCatalogue() {
    static const std::string path = WriteFullCatalogue();
    lang::languageFiles[1] = platform::FromUtf8(path);
    lang::Language = 1;
}

void BM_LoadLanguageFile(benchmark::State& state) {
    UseCatalogue();
    for (auto _ : state) benchmark::DoNotOptimize(lang::LoadLanguageFile());
    state.counters["entries"] = lang::catalogueCount;
}
BENCHMARK(BM_LoadLanguageFile)->Unit(benchmark::kMillisecond);

void BM_TranslateWindowTexts(benchmark::State& state) {
    UseCatalogue();
    lang::LoadLanguageFile();
    for (auto _ : state)
        for (std::u16string_view english : text::All) benchmark::DoNotOptimize(lang::Translate(english));
    state.counters["lookups"] = static_cast<double>(std::size(text::All));
}
BENCHMARK(BM_TranslateWindowTexts)->Unit(benchmark::kMicrosecond);

void BM_ApplyWindowTexts(benchmark::State& state) {
    UseCatalogue();
    TMainF window;
    UseCatalogue();
    for (auto _ : state) window.ApplyWindowTexts();
}
BENCHMARK(BM_ApplyWindowTexts)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const std::string runtime = (std::filesystem::temp_directory_path() / "kd4410-bench-runtime").string();
    std::filesystem::create_directories(runtime);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);  // a lock of its own, beside any running program
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
