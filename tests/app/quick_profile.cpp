// Makes the profile "Connect to a game..." makes for a MUSH, MUX or MOO (the character logs
// in with "connect"), for the tests that run the whole program:
// quick_profile DATA_DIR NAME HOST PORT CHARACTER PASSWORD [TLS_PORT]
#include "settings/ProfileStore.h"
#include "settings/QuickGame.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 7) {
        std::fputs("usage: quick_profile DATA_DIR NAME HOST PORT CHARACTER PASSWORD [TLS_PORT]\n",
                   stderr);
        return 2;
    }
    const tav::QuickGame game{
        argv[2], argv[3], std::atoi(argv[4]), argc > 7, argc > 7 ? std::atoi(argv[7]) : 0, argv[5],
        argv[6], true};
    const tav::ProfileStore store(argv[1]);
    if (tav::CheckQuickGame(game) ||
        store.CreateProfile(game.name) == tav::ProfileStore::CreateResult::Failed ||
        !tav::WriteQuickProfile(store.ProfileDir(game.name), tav::MakeQuickProfile(game)))
        return 1;
    return 0;
}
