#include "ui/test_application.h"

namespace vantile::test {

std::unique_ptr<TestApplication> TestApplication::offscreen() {
    return std::unique_ptr<TestApplication>(
        new TestApplication({"vantile_ui_tests", "-platform", "offscreen"}));
}

std::unique_ptr<TestApplication> TestApplication::onDisplay(const std::string& display) {
    // Given on the command line rather than through the environment, so that nothing else in the
    // test process (X servers, window managers) sees another platform or display.
    return std::unique_ptr<TestApplication>(
        new TestApplication({"vantile_ui_tests", "-platform", "xcb", "-display", display}));
}

TestApplication::TestApplication(std::vector<std::string> arguments)
    : arguments_(std::move(arguments)) {
    for (auto& argument : arguments_) {
        argv_.push_back(argument.data());
    }
    argv_.push_back(nullptr);
    argc_ = static_cast<int>(arguments_.size());
    application_ = std::make_unique<QApplication>(argc_, argv_.data());
}

TestApplication::~TestApplication() = default;

} // namespace vantile::test
