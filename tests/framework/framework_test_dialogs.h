#pragma once

// The dialog template of the framework tests (framework_test_dialogs.rc).
#define IDD_PROBE 200
#define IDC_PROBE_EDIT 300
