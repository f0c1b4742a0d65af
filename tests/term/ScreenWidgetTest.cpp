#include "term/ScreenWidget.h"

#include <gtest/gtest.h>

namespace tav {
namespace {

TEST(ScreenWidget, Builds) {
    Settings settings{};
    TMudScreen screen(settings);
    ScreenWidget widget(screen, settings, nullptr);
    widget.resize(400, 300);
    EXPECT_FALSE(widget.grab().isNull());
}

} // namespace
} // namespace tav
