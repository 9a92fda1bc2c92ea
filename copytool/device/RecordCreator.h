// The common base of the objects that fill in a record they do not own: it only holds the
// record, which may be absent; every filling operation does nothing then.
#pragma once

namespace Marlin {

template <class Record>
class RecordCreator {
public:
    explicit RecordCreator(Record* record) noexcept : record_(record) {}
    RecordCreator(const RecordCreator&) = delete;
    RecordCreator& operator=(const RecordCreator&) = delete;
    virtual ~RecordCreator() = default;

    Record* GetRecord() const noexcept { return record_; }

protected:
    Record* record_;
};

}  // namespace Marlin
