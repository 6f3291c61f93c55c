#pragma once
// Never compiled: a window bench file, which may include the window; the layer check must pass it.
#include "app/main_window.h"
