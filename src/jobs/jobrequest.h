// What a job is asked to make, in the words the window, the command line, the settings store
// and the thumbnail job share: the kind of job, and for thumbnails which frames they take.
#pragma once

// What a job makes: thumbnails, one contact sheet, the one picture a file manager shows
// for the video (its preview), or single frames at given instants, saved as they are.
enum class TJobKind { Thumbnails, Sheet, Preview, Frames };

// Which frames a thumbnail job takes: every frame of the video, a number of evenly spaced
// pieces, or every frame between the start and the end mark. The settings store keeps the
// window's choice by these names, in this order.
enum class TThumbMode { Whole, Pieces, Range };
