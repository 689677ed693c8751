// Resource and command identifiers shared by the resource script and the Win32 layer.
#ifndef RESOURCES_RESOURCE_H
#define RESOURCES_RESOURCE_H

#define IDS_APP_TITLE 103
#define IDD_ABOUTBOX 103
#define IDM_ABOUT 104
#define IDM_EXIT 105
#define IDI_VELKANALYSER 107
#define IDI_SMALL 108
#define IDC_VELKANALYSER 109
#define IDC_CONTINUE_BUTTON 110
#define IDC_VIDEO_BUTTON 111
#define IDC_TEXT_PANE 112
#define IDM_ASIO_CONTROL_PANEL 32772

#endif
