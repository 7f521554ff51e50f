// The image editing commands of the main window: black-and-white swap, gamma
// correction, image resolution, and the one undo image they share.
#pragma once

namespace gmbx {

void SwapBlackWhiteCommand();
void GammaDialogCommand();
void ImageResolutionCommand();
// Exchanges the undo image with the current image.
void UndoCommand();

bool HaveUndoImage();
// A new capture or file replaces the image: what came before cannot come back.
void ClearUndoImage();

}  // namespace gmbx
