// A program for the save-kill test: saves fifty generations of a large document one after another through the
// document store, printing each generation number once it is on disk, until the test kills it.
//
//   tapchime_save_child <folder> <first generation>

#include "app/DocumentStore.h"
#include "app/helpers/LargeDocument.h"

#include <chrono>
#include <cstdio>
#include <string>

int main(int argc, char *argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: tapchime_save_child <folder> <first generation>\n");
        return 2;
    }
    constexpr int kSaves = 50;
    tc::DocumentStore store(QString::fromLocal8Bit(argv[1]));
    store.setLog([](const std::string &line) { std::fprintf(stderr, "%s\n", line.c_str()); });
    const std::int64_t first = std::stoll(argv[2]);
    auto data = tc::test::largeDocument(first);
    for (std::int64_t generation = first; generation < first + kSaves; ++generation) {
        tc::test::setGeneration(data, generation);
        store.save(data);
        if (!store.waitForWrites(std::chrono::minutes(1))) {
            return 1;
        }
        std::printf("%lld\n", static_cast<long long>(generation));
        std::fflush(stdout);
    }
    return 0;
}
