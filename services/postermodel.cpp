#include "services/postermodel.h"

PosterModel::PosterModel(QObject *parent)
    : QObject(parent)
{
}

PosterModel *PosterModel::fromJson(const QJsonObject &article)
{
    auto *model = new PosterModel;
    model->m_id = article.value(QLatin1String("id")).toInt(model->m_id);
    model->m_title = article.value(QLatin1String("title")).toString(model->m_title);
    model->m_url = article.value(QLatin1String("p_url")).toString(model->m_url);
    model->m_summary = article.value(QLatin1String("summary")).toString(model->m_summary);
    model->m_content = article.value(QLatin1String("content")).toString(model->m_content);
    return model;
}
