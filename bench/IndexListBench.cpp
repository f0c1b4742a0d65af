// A hostile help index: a 3 MB `helpindex_reply` of one million 3-byte topics, decoded and
// put into a shown index list, as the help window does. Prints the time from the reply's
// bytes to the filled list and the resident memory it added.
//
// Usage: index_list_bench
#include "bench/ResidentMemory.h"
#include "client/MessageDecoder.h"
#include "windows/IndexList.h"

#include <QApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kEntryBytes = 3;
constexpr int kEntries = 1000000;

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::vector<std::uint8_t> reply(static_cast<std::size_t>(kEntryBytes) * kEntries, 0);
    for (std::size_t i = 0; i < reply.size(); i += kEntryBytes) {
        reply[i] = static_cast<std::uint8_t>('a' + (i / kEntryBytes) % 26);
        reply[i + 1] = static_cast<std::uint8_t>('a' + (i / kEntryBytes / 26) % 26);
    }
    tav::IndexList list(QStringLiteral("Help Index"), nullptr);
    list.resize(400, 300);
    list.show();
    QApplication::processEvents();

    const double before = tav::bench::ResidentMiB();
    const auto start = std::chrono::steady_clock::now();
    bool cut = false;
    const std::vector<std::string> topics =
        tav::DecodeHelpIndex(kEntryBytes, kEntries, reply, &cut);
    QStringList texts;
    for (const std::string& topic : topics)
        texts.push_back(QString::fromLatin1(topic.data(), static_cast<qsizetype>(topic.size())));
    list.Fill(texts);
    QApplication::processEvents();
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("help index of %d entries: %d listed%s, %.1f ms to a painted list, %+.1f MiB\n",
                kEntries, list.count(), cut ? " (cut)" : "", ms,
                tav::bench::ResidentMiB() - before);
    return 0;
}
