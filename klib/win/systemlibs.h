// The few functions taken from the system's shell, common-dialog and
// common-control libraries, bound when first called. A run that shows no
// window and no dialog (a hidden one-shot capture) then never loads those
// libraries, whose loading is a good part of a short run's start-up time.
// Each call fails as its system function does when the library or the
// function cannot be had.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

namespace klib {

bool InitControls(DWORD classes);  // InitCommonControlsEx
HIMAGELIST LoadImageList(HINSTANCE module, const char* name, int width, COLORREF mask, UINT flags);
void DestroyImageList(HIMAGELIST list);

bool AskOpenFileName(OPENFILENAMEA* ofn);  // GetOpenFileNameA
bool AskSaveFileName(OPENFILENAMEA* ofn);  // GetSaveFileNameA

void AcceptDroppedFiles(HWND window, bool accept);
// The index-th dropped file's path into path (size bytes); 0 when there is none.
UINT DroppedFile(HDROP drop, UINT index, char* path, UINT size);
void FinishDrop(HDROP drop);

}  // namespace klib
