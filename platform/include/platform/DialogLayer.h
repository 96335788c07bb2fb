// Everything dialog code is written against: windows, dialogs, message
// maps, controls, data exchange, menus, the common dialogs, the message box
// and the application object.
#pragma once

#include "platform/CString.h"
#include "platform/CommonDialogs.h"
#include "platform/Controls.h"
#include "platform/DataExchange.h"
#include "platform/Dialog.h"
#include "platform/Menu.h"
#include "platform/Resources.h"
#include "platform/TreeCtrl.h"
#include "platform/Types.h"
#include "platform/WinApp.h"
#include "platform/Wnd.h"
