#pragma once
// The audio CD side of the stream decoder: the view's CD reader and the document's drive and disc
// state. Audio comes as 44100 Hz stereo, 16-bit or float as asked at Open.
//
// Threads: Open and Close are called on the user-interface thread while no stream reads, and on the
// audio library's update thread during a gapless change-over; Read and NextGaplessTrack only on the
// update thread.

#include <cstdint>

class ICdTrackSource {
public:
    virtual ~ICdTrackSource() = default;

    // Starts reading `track` (1-based) at `startSeconds`. With a drive letter, the drive with that
    // letter is used; with 0, the drive of the CD tab on show (or the one already playing). On
    // success the document is told which drive and track play. False when there is no such drive or
    // the track cannot be read.
    virtual bool Open(char driveLetter, int track, int startSeconds, bool floatOutput) = 0;
    // Copies up to `length` bytes of audio; fewer at the end of the track or on a read error.
    virtual std::uint32_t Read(void *buffer, std::uint32_t length) = 0;
    // Stops the reader (if one runs) and tells the document that no CD track plays (drive -1,
    // track 0). Called on every close of the stream decoder, whatever it had open.
    virtual void Close() = 0;
    // The next checked audio track of the same disc after the playing one (wrapping with
    // `repeatlist`), or -1.
    virtual int NextGaplessTrack() = 0;
    // The letter of the drive whose track is open, 0 when none (a change-over reports it with the
    // new track, so the take-over knows which CD tab it belongs to).
    virtual char OpenDriveLetter() const { return 0; }
};
