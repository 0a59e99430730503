#pragma once
// Every control class of the framework.
#include "ui/pure/BoxLayout.h"
#include "ui/pure/Button.h"
#include "ui/pure/Container.h"
#include "ui/pure/Control.h"
#include "ui/pure/Edit.h"
#include "ui/pure/Label.h"
#include "ui/pure/Option.h"
#include "ui/pure/OtherControls.h"
#include "ui/pure/Progress.h"
#include "ui/pure/RichEdit.h"
#include "ui/pure/ScrollBar.h"
