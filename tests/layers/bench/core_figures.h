#pragma once
// Never compiled: a core bench file reaching into the window, which the layer check must name.
#include "document/document.h"
#include "app/main_window.h"
