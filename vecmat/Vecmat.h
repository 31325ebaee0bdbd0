#pragma once

// Umbrella header: every public header of the library.

#include "vecmat/Export.h"
#include "vecmat/MessageText.h"
#include "vecmat/core/IMatrixFeature.h"
#include "vecmat/core/Vector.h"
#include "vecmat/core/Matrix.h"
#include "vecmat/features/IFeatureFilter.h"
#include "vecmat/features/VarianceThreshold.h"
#include "vecmat/features/CorrelationCoefficient.h"
#include "vecmat/features/FeatureSelector.h"
#include "vecmat/classify/LCDataTable.h"
#include "vecmat/classify/ClassifierReports.h"
#include "vecmat/classify/LCMData.h"
#include "vecmat/classify/ILinearClassificationModel.h"
#include "vecmat/classify/LinearClassificationModel.h"
#include "vecmat/classify/LinearClassifierTrainer.h"
#include "vecmat/classify/LinearClassifier.h"
#include "vecmat/classify/LinearClassifierTraining.h"
#include "vecmat/neighbors/KdTreeData.h"
#include "vecmat/neighbors/KdTree.h"
#include "vecmat/neighbors/KdTree2.h"
