#pragma once

// Output format of the large-picture saver, as the dialog's radio buttons choose it.
enum class LargeImageFileType : int {
    Jpeg = 0,
    Bitmap = 1,
};
