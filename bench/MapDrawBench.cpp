// Drawing the automapper's map: one area of 2,000 rooms (50 x 40, every room joined to its
// neighbours both ways, some one-way exits, up and down marks), the whole area in view at
// once, drawn frame after frame while the view pans, as the map window draws it. Prints
// the frames a second (goal: 60) and the median time of a frame; the first frame, which
// lays the area out, is timed apart.

#include "windows/MapPainter.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

tav::RoomMap Area(int width, int height) {
    tav::RoomMap map;
    const auto number = [&](int x, int y) { return tav::RoomNumber(y) * width + x + 1; };
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            tav::MapRoom room;
            room.number = number(x, y);
            room.name = "Room " + std::to_string(room.number);
            room.area = "Bench";
            room.at = {x, y, 0, 0};
            const auto add = [&](const char* name, int tx, int ty) {
                if (tx >= 0 && ty >= 0 && tx < width && ty < height)
                    room.exits.push_back({name, number(tx, ty)});
            };
            add("e", x + 1, y);
            add("w", x - 1, y);
            add("n", x, y + 1);
            // Every seventh room has no way south: the room below it is left one-way.
            if (room.number % 7 != 0) add("s", x, y - 1);
            if (room.number % 11 == 0) room.exits.push_back({"u", std::nullopt});
            if (room.number % 13 == 0) room.exits.push_back({"portal", std::nullopt});
            tav::NormaliseExits(room.exits);
            map.Put(std::move(room));
        }
    }
    return map;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const tav::RoomMap map = Area(50, 40);
    QImage image(800, 640, QImage::Format_RGB32);
    tav::MapPainter painter;
    tav::MapViewport view;
    view.size = image.size();
    view.cell = 15; // the whole area in view
    view.centreX = 24.5;
    view.centreY = 19.5;
    const auto frame = [&](int k) {
        view.centreX = 24.5 + (k % 10) * 0.1; // panning
        QPainter p(&image);
        p.fillRect(image.rect(), Qt::black);
        painter.Paint(p, map, "Bench", {}, view, tav::RoomNumber(k % 2000 + 1));
    };
    auto start = Clock::now();
    frame(0);
    const double first = MillisecondsSince(start);
    const int frames = 300;
    std::vector<double> times;
    start = Clock::now();
    for (int k = 1; k <= frames; ++k) {
        const auto one = Clock::now();
        frame(k);
        times.push_back(MillisecondsSince(one));
    }
    const double total = MillisecondsSince(start);
    std::sort(times.begin(), times.end());
    std::printf("map_draw: %zu rooms in view, first frame (layout) %.2f ms\n", map.Size(), first);
    std::printf("map_draw: %d frames in %.1f ms: %.1f frames a second (goal 60), median frame "
                "%.2f ms\n",
                frames, total, frames * 1000.0 / total, times[times.size() / 2]);
    return 0;
}
