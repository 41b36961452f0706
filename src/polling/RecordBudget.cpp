#include "polling/RecordBudget.h"

namespace perivant {

bool RecordBudget::TryCharge(size_t bytes) {
    size_t held = m_held.load();
    do {
        if (bytes > m_limit || held > m_limit - bytes) {
            return false;
        }
    } while (!m_held.compare_exchange_weak(held, held + bytes));
    return true;
}

void RecordBudget::Refund(size_t bytes) {
    m_held.fetch_sub(bytes);
}

}  // namespace perivant
