package com.quarn.runtime;

import java.io.File;
import java.io.FileOutputStream;
import java.io.IOException;
import java.io.OutputStream;

/**
 * A log file that is moved aside when it reaches its size: name becomes
 * name.1, name.1 becomes name.2 and so on up to the number kept; the oldest
 * is deleted. A file is moved only after a line end: PrintStream.println
 * writes the text and the line feed separately, and a line cut between two
 * files would be hard to read. Output without line ends is moved all the
 * same once the file holds twice its size.
 *
 * <p>Windows does not rename a file that is open, not even by this process,
 * so the file is closed before it is moved. When a move still fails (another
 * program holds a rotated file open), writing goes on in the same file and
 * the next attempt waits for another full size, rather than losing output or
 * trying again on every line.
 */
final class RotatingLogStream extends OutputStream {
    private final File file;
    private final long limit;
    private final int keep;
    private FileOutputStream out;
    private long size;
    private long nextRotation;
    private boolean atLineStart = true;

    RotatingLogStream(File file, boolean append, long limit, int keep) throws IOException {
        this.file = file;
        this.limit = limit;
        this.keep = keep;
        out = new FileOutputStream(file, append);
        size = append ? file.length() : 0;
        nextRotation = limit;
    }

    @Override
    public synchronized void write(int b) throws IOException {
        write(new byte[] {(byte) b}, 0, 1);
    }

    @Override
    public synchronized void write(byte[] b, int off, int len) throws IOException {
        if (len <= 0) return;
        long after = size + len;
        if (size > 0 && after > nextRotation && (atLineStart || after > nextRotation + limit)) rotate();
        out.write(b, off, len);
        size += len;
        atLineStart = b[off + len - 1] == '\n';
    }

    @Override
    public synchronized void flush() throws IOException {
        out.flush();
    }

    @Override
    public synchronized void close() throws IOException {
        out.close();
    }

    private void rotate() throws IOException {
        out.close();
        boolean moved = shiftOlderFiles();
        if (moved) {
            size = 0;
            nextRotation = limit;
        } else {
            nextRotation = size + limit;
        }
        // Reopened in either case: appending continues a file that could not
        // be moved, and starts the new one when it was.
        out = new FileOutputStream(file, true);
    }

    /** Moves name.(keep-1) to name.keep ... name to name.1; false when name could not be moved. */
    private boolean shiftOlderFiles() {
        if (keep <= 0) {
            // Nothing kept: the full file starts afresh.
            return file.delete() || !file.exists();
        }
        File oldest = numbered(keep);
        if (oldest.exists() && !oldest.delete()) return false;
        for (int i = keep - 1; i >= 1; i--) {
            File from = numbered(i);
            if (from.exists() && !from.renameTo(numbered(i + 1))) return false;
        }
        return file.renameTo(numbered(1));
    }

    private File numbered(int i) {
        return new File(file.getPath() + "." + i);
    }
}
