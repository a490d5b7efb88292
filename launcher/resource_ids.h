#pragma once

// Ids of the launcher's resources, shared by the resource scripts and the code.

#define IDS_PRODUCT_NAME 1
#define IDS_BAD_CONFIGURATION 2
#define IDS_WAIT_FAILED 3
#define IDS_LAUNCH_FAILED 4
#define IDS_LAUNCHER_PROBLEM 7

#define IDI_PRODUCT 1
