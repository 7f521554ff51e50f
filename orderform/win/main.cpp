// tendra.exe: the order form.
#include <windows.h>

#include "orderform/win/mainform.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) { return tendra::RunTendra(instance, show); }
