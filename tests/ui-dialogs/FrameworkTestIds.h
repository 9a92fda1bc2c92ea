// The framework test's own dialog template.
#pragma once

#define IDD_FRAMEWORK_TEST 500
#define IDC_TEST_TRANSPARENT 601
#define IDC_TEST_PLAIN 602
#define IDC_TEST_THROW 603
