// The window tests run inside one ui::Application; its failures land in this scripted desktop.
#pragma once

#include "tests/support/scripted_desktop.hpp"

ScriptedDesktop& application_failures();
